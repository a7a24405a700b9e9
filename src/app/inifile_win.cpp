#include "app/inifile.h"

#include <windows.h>

#include <cstdio>

// Handed to the system reader as the default: a key it does not find comes
// back as this text, which no tl.ini holds.
static constexpr const char *kNotFound = "\x01tunelark-not-found\x01";

static std::wstring widePath(const std::string &utf8)
{
    const int size = static_cast<int>(utf8.size());
    std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

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
    const int length = static_cast<int>(full.size());
    BOOL lossy = FALSE;
    const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, full.data(), length, nullptr, 0, nullptr, &lossy);
    if (size <= 0 || lossy)
        return std::nullopt;
    std::string ansi(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, full.data(), length, ansi.data(), size, nullptr, nullptr);
    return ansi;
}

// The file is parsed here too, for the line numbers that messages name; the
// texts, and whether a key counts as present at all, come from the system's
// profile reader, so the program reads tl.ini exactly as Windows does.
std::optional<IniFile> IniFile::load(const std::string &path)
{
    const std::wstring wide = widePath(path);
    std::FILE *stream = _wfopen(wide.c_str(), L"rb");
    if (!stream)
        return std::nullopt;
    std::string bytes;
    char buffer[4096];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, stream)) > 0)
        bytes.append(buffer, count);
    const bool failed = std::ferror(stream) != 0;
    std::fclose(stream);
    if (failed)
        return std::nullopt;

    IniFile file = fromBytes(bytes);
    const std::optional<std::string> ansiPath = ansiFullPath(wide);
    // The system reader cannot be given this path, or would hand the values
    // of a UTF-16 file over in the ANSI code page: the parse stands.
    if (!ansiPath || bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
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
