#include "app/config.h"
#include "app/inifile.h"
#include "util/text.h"

#include "tempdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>

namespace fs = std::filesystem;
using namespace std::string_literals;

struct IniCase
{
    const char *name;
    std::string bytes;
    const char *section;
    const char *key;
    std::optional<std::string> text;
    int lineNumber;
};

TEST(IniFile, FindsValuesAsTheWindowsReaderDoes)
{
    const std::string longValue(300, 'x');
    const IniCase cases[] = {
        {"section and key ignore letter case", "[CONFIG]\nDefaultplaytime=5\n", "config", "DefaultPlayTime", "5", 2},
        {"requested names ignore letter case", "[config]\nkey=5\n", "Config", "KEY", "5", 2},
        {"blanks around names and value", "  [ config ]  \n \tkey \t=  5 \t\n", "config", "key", "5", 2},
        {"requested names are trimmed", "[config]\nkey=5\n", " config ", " key ", "5", 2},
        {"first of duplicate keys wins", "[config]\nkey=1\nkey=2\n", "config", "key", "1", 2},
        {"later section of the same name is not merged", "[config]\nother=1\n[Config]\nkey=2\n", "config", "key",
         std::nullopt, 0},
        {"empty first section hides a later one", "[config]\n[config]\nkey=1\n", "config", "key", std::nullopt, 0},
        {"key of another section is not found", "[other]\nkey=1\n[config]\nx=2\n", "config", "key", std::nullopt, 0},
        {"key before any section is not found", "key=1\n[config]\n", "config", "key", std::nullopt, 0},
        {"section line without closing bracket is ignored", "[config\nkey=1\n", "config", "key", std::nullopt, 0},
        {"text after the closing bracket is ignored", "[config] ; main\nkey=1\n", "config", "key", "1", 2},
        {"CR LF counts one line", "[config]\r\n\r\nkey=1\r\n", "config", "key", "1", 3},
        {"lone CR ends a line", "[config]\r\rkey=1", "config", "key", "1", 3},
        {"last line without line end", "[config]\nkey=1", "config", "key", "1", 2},
        {"comment line is skipped", "[config]\n;key=1\n  ; key=2\nkey=3\n", "config", "key", "3", 4},
        {"comment after the value is delivered", "[config]\nkey=1 ;c\n", "config", "key", "1 ;c", 2},
        {"line without equals sign is skipped", "[config]\nkey\nkey=4\n", "config", "key", "4", 3},
        {"equals sign inside the value", "[config]\nkey=a=b\n", "config", "key", "a=b", 2},
        {"empty value", "[config]\nkey=\n", "config", "key", "", 2},
        {"double quotes removed", "[config]\nkey=\" 12 \"\n", "config", "key", " 12 ", 2},
        {"single quotes removed", "[config]\nkey='12'\n", "config", "key", "12", 2},
        {"only the outer pair removed", "[config]\nkey=\"\"12\"\"\n", "config", "key", "\"12\"", 2},
        {"unmatched quotes kept", "[config]\nkey=\"12'\n", "config", "key", "\"12'", 2},
        {"lone quote kept", "[config]\nkey=\"\n", "config", "key", "\"", 2},
        {"value cut to 255 bytes", "[config]\nkey=" + longValue + "\n", "config", "key", longValue.substr(0, 255), 2},
        {"quotes removed before the cut", "[config]\nkey=\"" + longValue + "\"\n", "config", "key",
         longValue.substr(0, 255), 2},
        {"UTF-8 byte-order mark skipped", "\xEF\xBB\xBF[config]\nkey=1\n", "config", "key", "1", 2},
        {"UTF-16LE", "\xFF\xFE[\0c\0o\0n\0f\0i\0g\0]\0\n\0k\0e\0y\0=\0" "5\0"s, "config", "key", "5", 2},
        {"UTF-16BE", "\xFE\xFF\0[\0c\0o\0n\0f\0i\0g\0]\0\n\0k\0e\0y\0=\0" "5"s, "config", "key", "5", 2},
        {"Shift-JIS bytes pass through", "[config]\nkey=\x82\x50\x82\x60\n", "config", "key", "\x82\x50\x82\x60", 2},
        {"missing section", "[other]\n", "config", "key", std::nullopt, 0},
    };
    for (const IniCase &c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<IniFile::Value> value = IniFile::fromBytes(c.bytes).value(c.section, c.key);
        ASSERT_EQ(value.has_value(), c.text.has_value());
        if (value) {
            EXPECT_EQ(value->text, *c.text);
            EXPECT_EQ(value->lineNumber, c.lineNumber);
        }
    }
}

TEST(IniFile, LoadFailsForMissingFileAndDirectory)
{
    const TempDir dir;
    EXPECT_FALSE(IniFile::load(dir.path() + "/none.ini"));
    EXPECT_FALSE(IniFile::load(dir.path()));
    dir.write("a.ini", "[config]\nkey=7\n");
    const Result<IniFile> file = IniFile::load(dir.path() + "/a.ini");
    ASSERT_TRUE(file);
    EXPECT_EQ(file->value("config", "key")->text, "7");
}

// The settings' reading: whole numbers in the signed 32-bit range (the
// syntax is that of codes, tested with them).
TEST(parseDecimal, ReadsWholeNumbersAndRoundsHalvesToEven)
{
    constexpr std::int32_t max = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t min = std::numeric_limits<std::int32_t>::min();
    const struct
    {
        const char *name;
        const char *text;
        std::optional<std::int64_t> value;
    } cases[] = {
        {"half rounds down to even", "2.5", 2},
        {"half rounds up to even", "3.5", 4},
        {"negative half to even", "-2.5", -2},
        {"above half rounds up", "2.5001", 3},
        {"largest", "2147483647", max},
        {"smallest", "-2147483648", min},
        {"one above largest", "2147483648", std::nullopt},
        {"one below smallest", "-2147483649", std::nullopt},
        {"rounding past largest", "2147483647.5", std::nullopt},
        {"rounding to smallest", "-2147483648.5", min},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const Decimal number = parseDecimal(c.text, 0, min, max);
        EXPECT_EQ(number.reading == DecimalReading::Number ? std::optional(number.scaled) : std::nullopt, c.value);
    }
}

TEST(readSettings, ReadsTheThreeSettings)
{
    const struct
    {
        const char *name;
        std::string file;
        std::int32_t defaultPlayTime, hootInitWaitTime, driverInitWaitTime;
    } cases[] = {
        {"plain values", "[config]\r\nDefaultPlayTime=180\r\nHootInitWaitTime=3000\r\nDriverInitWaitTime=500\r\n", 180,
         3000, 500},
        {"comments, TABs, case and order",
         "; Tunelark\n[Config]\ndriverinitwaittime = 5\t00 ; ms\nDEFAULTPLAYTIME=2.5\nHootInitWaitTime=\"7\"\n", 2, 7, 500},
        {"negative waits become 0, negative play time kept",
         "[config]\nDefaultPlayTime=-1\nHootInitWaitTime=-10\nDriverInitWaitTime=-2147483648\n", -1, 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        dir.write("tl.ini", c.file);
        const Result<Settings> read = readSettings(dir.path());
        ASSERT_TRUE(read) << read.error().message;
        const Settings &settings = read.value();
        EXPECT_EQ(settings.iniPath, dir.path() + "/tl.ini");
        EXPECT_EQ(settings.defaultPlayTime, c.defaultPlayTime);
        EXPECT_EQ(settings.emulatorStartWait, c.hootInitWaitTime);
        EXPECT_EQ(settings.driverStartWait, c.driverInitWaitTime);
    }
}

TEST(readSettings, ErrorNamesFileLineKeyAndText)
{
    const std::string rest = "HootInitWaitTime=1\nDriverInitWaitTime=1\n";
    const struct
    {
        const char *name;
        std::optional<std::string> file;
        std::string message;
        std::string messageJa;
    } cases[] = {
        {"missing file", std::nullopt, "tl.ini: file is missing or unreadable",
         "設定ファイル tl.ini が見つからないか、読み込めません。"},
        {"missing key", "[config]\nHootInitWaitTime=1\n", "tl.ini: key DefaultPlayTime is missing",
         "設定ファイル tl.ini に DefaultPlayTime がありません。"},
        {"key only in a later section", "[config]\nDefaultPlayTime=1\n[config]\n" + rest,
         "tl.ini: key HootInitWaitTime is missing", "設定ファイル tl.ini に HootInitWaitTime がありません。"},
        {"not a number", "[config]\n\nDefaultPlayTime=abc ; x\n" + rest,
         "tl.ini:3: DefaultPlayTime is not a whole number: \"abc\"",
         "設定ファイル tl.ini の DefaultPlayTime の値「abc」は整数ではありません。"},
        {"out of range", "[config]\nDefaultPlayTime=99999999999\n" + rest,
         "tl.ini:2: DefaultPlayTime is out of range: \"99999999999\"",
         "設定ファイル tl.ini の DefaultPlayTime の値「99999999999」は範囲外です。"},
        {"only a comment", "[config]\nDefaultPlayTime=1\nHootInitWaitTime=;123\n",
         "tl.ini:3: HootInitWaitTime has no value: \";123\"",
         "設定ファイル tl.ini の HootInitWaitTime の値「;123」には数値がありません。"},
        {"empty value", "[config]\nDefaultPlayTime=1\nHootInitWaitTime=1\nDriverInitWaitTime=\n",
         "tl.ini:4: DriverInitWaitTime has no value: \"\"", "設定ファイル tl.ini の DriverInitWaitTime に値がありません。"},
        {"first key in order fails first", "[config]\nDriverInitWaitTime=x\nDefaultPlayTime=y\n",
         "tl.ini:3: DefaultPlayTime is not a whole number: \"y\"",
         "設定ファイル tl.ini の DefaultPlayTime の値「y」は整数ではありません。"},
        {"bytes that are not UTF-8 escaped", "[config]\nDefaultPlayTime=\x82\x50\x82\x4F\n" + rest,
         "tl.ini:2: DefaultPlayTime is not a whole number: \"\\x82P\\x82O\"",
         "設定ファイル tl.ini の DefaultPlayTime の値「\\x82P\\x82O」は整数ではありません。"},
        {"UTF-8 text shown as it is", "[config]\nDefaultPlayTime=１８０\n" + rest,
         "tl.ini:2: DefaultPlayTime is not a whole number: \"１８０\"",
         "設定ファイル tl.ini の DefaultPlayTime の値「１８０」は整数ではありません。"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        if (c.file)
            dir.write("tl.ini", *c.file);
        const Result<Settings> read = readSettings(dir.path());
        ASSERT_FALSE(read);
        EXPECT_EQ(read.error().message, c.message);
        EXPECT_EQ(read.error().forDialog(), c.messageJa);
    }
}
