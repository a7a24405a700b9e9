#include "app/config.h"

#include "app/inifile.h"
#include "tracklist/shiftjis.h"
#include "util/text.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <limits>

static constexpr std::string_view kIniName = "tl.ini";

// The comment goes first, so a TAB in front of ";" is removed with the rest and
// a value written as 2000, TAB, ";c" reads 2000.
static std::string applyValueRules(std::string_view delivered)
{
    std::string_view value = trim(delivered, " ");
    if (const std::size_t semicolon = value.find(';'); semicolon != std::string_view::npos)
        value = trim(value.substr(0, semicolon), " ");
    std::string result;
    std::copy_if(value.begin(), value.end(), std::back_inserter(result), [](char c) { return c != '\t'; });
    return result;
}

// Valid UTF-8 is shown as it is; other bytes and control characters as \xNN,
// so a message never carries bytes that a terminal or message box garbles.
static std::string displayText(std::string_view text)
{
    std::string shown;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = utf8CharacterLength(text, i);
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

static Error valueError(int lineNumber, const std::string &english, const std::string &japanese)
{
    return Error{japanese, std::string(kIniName) + ":" + std::to_string(lineNumber) + ": " + english};
}

Result<Settings> readSettings(const std::string &currentDirectory)
{
    Settings settings;
    settings.iniPath = currentDirectory + "/" + std::string(kIniName);
    const Result<IniFile> file = IniFile::load(settings.iniPath);
    if (!file) {
        return Error{"設定ファイル tl.ini が見つからないか、読み込めません。",
                     std::string(kIniName) + ": file is missing or unreadable"};
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
            return Error{"設定ファイル tl.ini に " + key + " がありません。",
                         std::string(kIniName) + ": key " + key + " is missing"};
        }
        const std::string text = found->text.empty() ? std::string() : applyValueRules(found->text);
        if (text.empty()) {
            const std::string raw = displayText(found->text);
            return valueError(found->lineNumber, key + " has no value: \"" + raw + "\"",
                              raw.empty() ? "設定ファイル tl.ini の " + key + " に値がありません。"
                                          : "設定ファイル tl.ini の " + key + " の値「" + raw + "」には数値がありません。");
        }
        const Decimal number = parseDecimal(text, 0, std::numeric_limits<std::int32_t>::min(),
                                            std::numeric_limits<std::int32_t>::max());
        const std::string shown = displayText(text);
        if (number.reading == DecimalReading::NotANumber) {
            return valueError(found->lineNumber, key + " is not a whole number: \"" + shown + "\"",
                              "設定ファイル tl.ini の " + key + " の値「" + shown + "」は整数ではありません。");
        }
        if (number.reading == DecimalReading::OutOfRange) {
            return valueError(found->lineNumber, key + " is out of range: \"" + shown + "\"",
                              "設定ファイル tl.ini の " + key + " の値「" + shown + "」は範囲外です。");
        }
        // A negative pause means nothing; a negative play time is kept, so a
        // track without a stored time changes on its first tick.
        const auto value = static_cast<std::int32_t>(number.scaled);
        settings.*entry.target = entry.isWaitTime ? std::max(0, value) : value;
    }
    if (const std::optional<IniFile::Value> found = file->value("config", "NowPlayingFile")) {
        const std::string text = applyValueRules(found->text);
        std::optional<std::string> path = isValidUtf8(text) ? text : shiftJisToUtf8(text);
        if (!path) {
            const std::string shown = displayText(text);
            return valueError(found->lineNumber, "NowPlayingFile is neither UTF-8 nor Shift-JIS: \"" + shown + "\"",
                              "設定ファイル tl.ini の NowPlayingFile の値「" + shown + "」は読めない文字を含みます。");
        }
        settings.nowPlayingFile = std::move(*path);
    }
    if (const std::optional<IniFile::Value> found = file->value("config", "Resume")) {
        const std::string text = applyValueRules(found->text), shown = displayText(text);
        if (text != "0" && text != "1") {
            return valueError(found->lineNumber, "Resume is neither 0 nor 1: \"" + shown + "\"",
                              "設定ファイル tl.ini の Resume の値「" + shown + "」は 0 でも 1 でもありません。");
        }
        settings.resume = text == "1";
    }
    return settings;
}
