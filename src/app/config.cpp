#include "app/config.h"

#include "app/inifile.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

static constexpr std::string_view kIniName = "tl.ini";

enum class NumberReading { Whole, NotANumber, OutOfRange };

struct ParsedNumber
{
    NumberReading reading = NumberReading::NotANumber;
    std::int32_t value = 0;
};

static bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

static bool allDigits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

static ParsedNumber parseInt32(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);

    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const std::size_t dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    const std::string_view fraction = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
    if ((whole.empty() && fraction.empty()) || !allDigits(whole) || !allDigits(fraction))
        return {};

    // One past the largest magnitude: enough to tell "too large" without overflow.
    constexpr std::int64_t kLimit = 2147483648LL;
    std::int64_t magnitude = 0;
    for (char c : whole) {
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > kLimit)
            return {NumberReading::OutOfRange, 0};
    }
    if (!fraction.empty()) {
        const int firstDigit = fraction.front() - '0';
        const bool moreThanHalf = fraction.find_first_not_of('0', 1) != std::string_view::npos;
        if (firstDigit > 5 || (firstDigit == 5 && (moreThanHalf || magnitude % 2 == 1)))
            ++magnitude;
    }
    if (magnitude > (negative ? kLimit : kLimit - 1))
        return {NumberReading::OutOfRange, 0};
    return {NumberReading::Whole, static_cast<std::int32_t>(negative ? -magnitude : magnitude)};
}

std::optional<std::int32_t> textToInt32(std::string_view text)
{
    const ParsedNumber number = parseInt32(text);
    if (number.reading != NumberReading::Whole)
        return std::nullopt;
    return number.value;
}

static std::string_view trimSpaces(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// The comment goes first, so a TAB in front of ";" is removed with the rest and
// a value written as 2000, TAB, ";c" reads 2000.
static std::string applyValueRules(std::string_view delivered)
{
    std::string_view value = trimSpaces(delivered);
    if (const std::size_t semicolon = value.find(';'); semicolon != std::string_view::npos)
        value = trimSpaces(value.substr(0, semicolon));
    std::string result;
    std::copy_if(value.begin(), value.end(), std::back_inserter(result), [](char c) { return c != '\t'; });
    return result;
}

// The Windows path rules, on text: a value without a drive that does not start
// at the root is put under the current directory, and one from the root gets
// the current directory's drive.
static std::string makeAbsolutePath(std::string value, const std::string &currentDirectory)
{
    const bool hasDrive = value.size() >= 2 && value[1] == ':';
    if (!hasDrive && !value.starts_with('\\'))
        value = currentDirectory + "\\" + value;
    if (value.starts_with('\\'))
        value = currentDirectory.substr(0, 2) + value;
    return value;
}

std::string iniString(const Settings &settings, const std::string &currentDirectory,
                               std::string_view section, std::string_view key, bool pathFlag)
{
    const std::optional<IniFile> file = IniFile::load(settings.iniPath);
    const std::optional<IniFile::Value> found = file ? file->value(section, key) : std::nullopt;
    if (!found || found->text.empty())
        return {};
    std::string value = applyValueRules(found->text);
    if (pathFlag)
        value = makeAbsolutePath(std::move(value), currentDirectory);
    return value;
}

// Valid UTF-8 is shown as it is; other bytes and control characters as \xNN,
// so a message never carries bytes that a terminal or message box garbles.
static std::string displayText(std::string_view text)
{
    std::string shown;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                                          : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                                         : 0;
        if (length > 1) {
            for (std::size_t k = 1; k < length; ++k) {
                if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                    length = 0;
            }
        }
        if (length == 0 || (length == 1 && (lead < 0x20 || lead == 0x7F))) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", lead);
            shown += escaped;
            ++i;
        } else {
            shown.append(text.substr(i, length));
            i += length;
        }
    }
    return shown;
}

static ConfigError valueError(const std::string &key, int lineNumber, const std::string &english,
                              const std::string &japanese)
{
    return ConfigError{key, lineNumber, std::string(kIniName) + ":" + std::to_string(lineNumber) + ": " + english,
                       japanese};
}

std::optional<ConfigError> readSettings(const std::string &currentDirectory, Settings &settings)
{
    settings.iniPath = currentDirectory + "/" + std::string(kIniName);
    const std::optional<IniFile> file = IniFile::load(settings.iniPath);
    if (!file) {
        return ConfigError{{}, 0, std::string(kIniName) + ": file is missing or unreadable",
                           "設定ファイル tl.ini が見つからないか、読み込めません。"};
    }

    struct KeyTarget
    {
        std::string key;
        std::int32_t Settings::*target;
        bool isWaitTime;
    };
    const KeyTarget keys[] = {
        {"DefaultPlayTime", &Settings::defaultPlayTime, false},
        {"HootInitWaitTime", &Settings::emulatorStartWait, true},
        {"DriverInitWaitTime", &Settings::driverStartWait, true},
    };
    for (const KeyTarget &entry : keys) {
        const std::string &key = entry.key;
        const std::optional<IniFile::Value> found = file->value("config", key);
        if (!found) {
            return ConfigError{key, 0, std::string(kIniName) + ": key " + key + " is missing",
                               "設定ファイル tl.ini に " + key + " がありません。"};
        }
        const std::string text = found->text.empty() ? std::string() : applyValueRules(found->text);
        if (text.empty()) {
            const std::string raw = displayText(found->text);
            return valueError(key, found->lineNumber, key + " has no value: \"" + raw + "\"",
                              raw.empty() ? "設定ファイル tl.ini の " + key + " に値がありません。"
                                          : "設定ファイル tl.ini の " + key + " の値「" + raw + "」には数値がありません。");
        }
        const ParsedNumber number = parseInt32(text);
        const std::string shown = displayText(text);
        if (number.reading == NumberReading::NotANumber) {
            return valueError(key, found->lineNumber, key + " is not a whole number: \"" + shown + "\"",
                              "設定ファイル tl.ini の " + key + " の値「" + shown + "」は整数ではありません。");
        }
        if (number.reading == NumberReading::OutOfRange) {
            return valueError(key, found->lineNumber, key + " is out of range: \"" + shown + "\"",
                              "設定ファイル tl.ini の " + key + " の値「" + shown + "」は範囲外です。");
        }
        // A negative pause means nothing; a negative play time is kept, so a
        // track without a stored time changes on its first tick.
        settings.*entry.target = entry.isWaitTime ? std::max(0, number.value) : number.value;
    }
    return std::nullopt;
}
