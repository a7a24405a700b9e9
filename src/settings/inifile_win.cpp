#include "settings/inifile.h"

#include "util/file.h"
#include "util/text.h"
#include "util/widestring_win.h"

#include <windows.h>

// Handed to the system reader as the default: a key it does not find comes
// back as this text, which no tl.ini holds.
static constexpr const char *kNotFound = "\x01tunelark-not-found\x01";

// The full path in the ANSI code page, as GetPrivateProfileStringA takes it
// (a bare file name would be looked for in the Windows folder); nothing when
// the path has characters that code page lacks.
static std::optional<std::string> ansiFullPath(const std::wstring &path)
{
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return std::nullopt;
    std::wstring full(needed, L'\0');
    full.resize(GetFullPathNameW(path.c_str(), needed, full.data(), nullptr));
    return encodeCodePage(full, CP_ACP);
}

// The file is parsed here too, for the line numbers that messages name; the
// texts, and whether a key counts as present at all, come from the system's
// profile reader, so the program reads tl.ini exactly as Windows does.
Result<IniFile> IniFile::load(const std::string &path)
{
    const Result<std::string> read = readFile(path);
    if (!read)
        return read.error();
    const std::string &bytes = read.value();

    IniFile file = fromBytes(bytes);
    const std::optional<std::string> ansiPath = ansiFullPath(toWide(path));
    // The system reader cannot be given this path, or would hand the values
    // of a UTF-16 file over in the ANSI code page: the parse stands.
    const bool utf16 = bytes.starts_with(markBytes(ByteOrderMark::Utf16LE))
        || bytes.starts_with(markBytes(ByteOrderMark::Utf16BE));
    if (!ansiPath || utf16)
        return file;
    std::vector<Entry> kept;
    for (Entry &entry : file.m_entries) {
        // 256 bytes, as the program has always asked for: at most 255 delivered.
        char text[256] = {};
        GetPrivateProfileStringA(entry.section.c_str(), entry.key.c_str(), kNotFound, text, sizeof text,
                                 ansiPath->c_str());
        if (std::string_view(text) == kNotFound)
            continue;
        entry.value.text = text;
        kept.push_back(std::move(entry));
    }
    file.m_entries = std::move(kept);
    return file;
}
