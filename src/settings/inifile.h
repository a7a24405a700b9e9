#pragma once

#include "util/error.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The INI reader that configuration lookups rely on, behaving as the Windows
// profile reader does: section and key names match without regard to letter
// case, the first matching key of the first matching section wins, blanks
// around the value are trimmed, one pair of enclosing quotation marks is
// removed, and at most 255 characters are delivered.
class IniFile
{
public:
    struct Value
    {
        std::string text;
        int lineNumber = 0; // 1-based line of the key in the file
    };

    static IniFile fromBytes(std::string_view bytes);
    // The error when the file cannot be read.
    static Result<IniFile> load(const std::string &path);

    // nullopt when the section or the key is missing.
    std::optional<Value> value(std::string_view section, std::string_view key) const;

private:
    struct Entry
    {
        std::string section;
        std::string key;
        Value value;
    };
    std::vector<Entry> m_entries;
};
