// Any bytes as tl.ini: lookups behave as the Windows profile reader does,
// the tl.ini value rules hold, and the settings' number reading agrees with an exact reading
// on digit strings, both on the values and on the raw input.
#include "fuzzcheck.h"
#include "app/config.h"
#include "app/inifile.h"
#include "util/text.h"

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace {

// Adds one to a string of decimal digits.
std::string incremented(std::string digits)
{
    for (std::size_t i = digits.size(); i > 0; --i) {
        if (digits[i - 1] != '9') {
            ++digits[i - 1];
            return digits;
        }
        digits[i - 1] = '0';
    }
    return '1' + digits;
}

// a <= b for digit strings without leading zeros.
bool notGreater(const std::string &a, const std::string &b)
{
    return a.size() != b.size() ? a.size() < b.size() : a <= b;
}

// The settings' number rules read on digit strings, with no machine integer
// that could overflow: blanks, a sign, digits, "." and a fraction rounded
// half to even, and the signed 32-bit range checked by comparing digits.
std::optional<std::int32_t> referenceInt32(std::string_view text)
{
    const std::optional<DecimalParts> parts = splitDecimal(text);
    if (!parts)
        return std::nullopt;
    const bool negative = parts->negative;
    std::string whole = parts->whole;
    const std::string &fraction = parts->fraction;
    if (whole.empty())
        whole = "0";
    if (!fraction.empty()) {
        const bool aboveHalf
            = fraction[0] > '5' || (fraction[0] == '5' && fraction.find_first_not_of('0', 1) != std::string::npos);
        const bool exactlyHalf = fraction[0] == '5' && !aboveHalf;
        const bool odd = (whole.back() - '0') % 2 == 1;
        if (aboveHalf || (exactlyHalf && odd))
            whole = incremented(whole);
    }
    if (!notGreater(whole, negative ? "2147483648" : "2147483647"))
        return std::nullopt;
    const long long magnitude = std::stoll(whole);
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

// The number of a setting, as readSettings reads it.
std::optional<std::int32_t> settingNumber(std::string_view text)
{
    const Decimal number = parseDecimal(text, 0, std::numeric_limits<std::int32_t>::min(),
                                        std::numeric_limits<std::int32_t>::max());
    if (number.reading != DecimalReading::Number)
        return std::nullopt;
    return static_cast<std::int32_t>(number.scaled);
}

void checkInt32(std::string_view text)
{
    const std::optional<std::int32_t> actual = settingNumber(text);
    const std::optional<std::int32_t> expected = referenceInt32(text);
    fuzzCheck(actual == expected, "the settings' number reading differs from the exact reading", [&] {
        return std::string(fuzzShow(std::string(text)) + " gives " + (actual ? std::to_string(*actual) : "nothing")
                           + ", expected " + (expected ? std::to_string(*expected) : "nothing"));
    });
}

// The tl.ini value rules, step by step: spaces trimmed, everything from the
// first ";" cut and spaces trimmed again, then every TAB removed.
std::string referenceValueRules(std::string value)
{
    const auto trimSpaces = [](std::string &text) {
        text.erase(0, std::min(text.find_first_not_of(' '), text.size()));
        text.erase(text.find_last_not_of(' ') + 1);
    };
    trimSpaces(value);
    if (const std::size_t semicolon = value.find(';'); semicolon != std::string::npos) {
        value.erase(semicolon);
        trimSpaces(value);
    }
    std::erase(value, '\t');
    return value;
}

std::string lowerCase(std::string text)
{
    for (char &c : text) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// The text of a 1-based line, counted as the reader counts lines.
std::string_view lineAt(std::string_view bytes, int lineNumber)
{
    std::size_t start = 0;
    for (int line = 1; start <= bytes.size(); ++line) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = bytes.size();
        if (line == lineNumber)
            return bytes.substr(start, end - start);
        if (end == bytes.size())
            break;
        start = end + (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1);
    }
    return {};
}

void checkValue(const IniFile &file, std::string_view bytes, const std::string &section, const std::string &key)
{
    const std::optional<IniFile::Value> found = file.value(section, key);
    const std::string upperSection = [&] {
        std::string text = section;
        for (char &c : text) {
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        }
        return text;
    }();
    const std::optional<IniFile::Value> again = file.value(upperSection, lowerCase(key));
    fuzzCheck(found.has_value() == again.has_value() && (!found || found->text == again->text),
              "lookup depends on letter case", [&] { return section + "/" + key; });
    if (!found)
        return;
    fuzzCheck(found->text.size() <= 255, "value longer than 255 bytes");
    fuzzCheck(found->text.find_first_of("\r\n") == std::string::npos, "value runs over a line end");
    fuzzCheck(lineAt(bytes, found->lineNumber).find('=') != std::string_view::npos,
              "value's line is no key line", [&] { return std::to_string(found->lineNumber); });
    checkInt32(found->text);
    const std::string ruled = referenceValueRules(found->text);
    fuzzCheck(ruled.find_first_of("\t;") == std::string::npos, "value rules leave a TAB or a comment");
    checkInt32(ruled);
}

// A private directory for tl.ini, in memory where possible: readSettings
// reads the file itself. Removed again at exit.
class ScratchDirectory
{
public:
    ScratchDirectory()
    {
        std::string pattern
            = access("/dev/shm", W_OK) == 0 ? "/dev/shm/fuzz_inifile_XXXXXX" : "/tmp/fuzz_inifile_XXXXXX";
        if (!mkdtemp(pattern.data()))
            std::abort();
        m_path = pattern;
    }
    ~ScratchDirectory()
    {
        std::remove((m_path + "/tl.ini").c_str());
        rmdir(m_path.c_str());
    }
    const std::string &path() const { return m_path; }

private:
    std::string m_path;
};

void checkConfig(std::string_view bytes, const IniFile &file)
{
    static const ScratchDirectory scratch;
    const std::string &directory = scratch.path();
    const std::string iniPath = directory + "/tl.ini";
    std::FILE *stream = std::fopen(iniPath.c_str(), "wb");
    if (!stream)
        std::abort();
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fclose(stream);

    const Result<Settings> settings = readSettings(directory);
    bool allRead = true;
    std::int32_t values[3] = {};
    const char *keys[] = {"DefaultPlayTime", "HootInitWaitTime", "DriverInitWaitTime"};
    for (int i = 0; i < 3; ++i) {
        const std::optional<IniFile::Value> found = file.value("config", keys[i]);
        const std::optional<std::int32_t> number
            = found ? settingNumber(referenceValueRules(found->text)) : std::nullopt;
        if (!number) {
            allRead = false;
            break;
        }
        values[i] = i == 0 ? *number : std::max(0, *number);
    }
    fuzzCheck(static_cast<bool>(settings) == allRead, "readSettings disagrees with the values it reads",
              [&] { return settings ? std::string("no error") : settings.error().message; });
    if (settings) {
        fuzzCheck(settings->defaultPlayTime == values[0] && settings->emulatorStartWait == values[1]
                      && settings->driverStartWait == values[2],
                  "settings differ from their values");
    } else {
        fuzzCheck(!settings.error().message.empty() && !settings.error().dialogText.empty(),
                  "error without a message");
    }
}

} // unnamed

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string_view bytes(reinterpret_cast<const char *>(data), size);
    checkInt32(bytes);

    const IniFile file = IniFile::fromBytes(bytes);
    checkConfig(bytes, file);
    // A UTF-16 file is read as its UTF-8 text, so its lines are checked there.
    std::string decoded;
    if (const ByteOrderMark mark = byteOrderMarkOf(bytes); mark == ByteOrderMark::Utf16LE || mark == ByteOrderMark::Utf16BE)
        bytes = textAfterMark(bytes, decoded);
    for (const char *key : {"DefaultPlayTime", "HootInitWaitTime", "DriverInitWaitTime"})
        checkValue(file, bytes, "config", key);
    // Names taken from the input itself reach sections and keys that the
    // fixed names never would.
    const std::size_t open = bytes.find('[');
    const std::size_t close = bytes.find(']', open == std::string_view::npos ? 0 : open);
    const std::size_t equals = bytes.find('=', close == std::string_view::npos ? 0 : close);
    if (open != std::string_view::npos && close != std::string_view::npos && equals != std::string_view::npos) {
        const std::size_t keyStart = bytes.find_last_of("\r\n", equals);
        const std::size_t from = keyStart == std::string_view::npos ? 0 : keyStart + 1;
        checkValue(file, bytes, std::string(bytes.substr(open + 1, close - open - 1)),
                   std::string(bytes.substr(from, equals - from)));
    }
    return 0;
}
