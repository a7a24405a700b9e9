#include "settings/inifile.h"

#include "util/text.h"

#include <unordered_set>

static constexpr std::size_t kMaxValueLength = 255; // the reader's buffer of 256 less its terminating zero

// Only ASCII letters fold; other bytes, such as those of Shift-JIS text, pass unchanged.
static char foldCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

static std::string foldedName(std::string_view name)
{
    std::string folded;
    for (char c : trim(name))
        folded += foldCase(c);
    return folded;
}

static std::string deliveredValue(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value.substr(0, kMaxValueLength));
}

IniFile IniFile::fromBytes(std::string_view bytes)
{
    // Notepad saves UTF-8 with a byte-order mark, and its "Unicode" is UTF-16
    // with one; without this the first section line would not be recognised.
    std::string fromUtf16;
    bytes = textAfterMark(bytes, fromUtf16);

    IniFile file;
    // Names of the sections seen so far: a later section of the same name is
    // not merged into the first, as the Windows reader only searches the first.
    std::unordered_set<std::string> seenSections;
    std::string section;
    bool inSection = false;
    bool sectionIsDuplicate = false;
    int lineNumber = 0;

    std::size_t pos = 0;
    while (pos < bytes.size()) {
        ++lineNumber;
        std::size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = bytes.size();
        const std::string_view line = trim(bytes.substr(pos, end - pos));
        pos = end;
        if (pos < bytes.size()) {
            const bool crLf = bytes[pos] == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n';
            pos += crLf ? 2 : 1;
        }

        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            const std::size_t close = line.rfind(']');
            // A "[" without "]" is no section line and is ignored like any
            // other line without "=".
            if (close == std::string_view::npos)
                continue;
            section = foldedName(line.substr(1, close - 1));
            inSection = true;
            sectionIsDuplicate = !seenSections.insert(section).second;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inSection || sectionIsDuplicate || equals == std::string_view::npos)
            continue;
        file.m_entries.push_back(Entry{section, foldedName(line.substr(0, equals)),
                                       Value{deliveredValue(trim(line.substr(equals + 1))), lineNumber}});
    }
    return file;
}

std::optional<IniFile::Value> IniFile::value(std::string_view section, std::string_view key) const
{
    const std::string wantedSection = foldedName(section);
    const std::string wantedKey = foldedName(key);
    for (const Entry &entry : m_entries) {
        if (entry.section == wantedSection && entry.key == wantedKey)
            return entry.value;
    }
    return std::nullopt;
}
