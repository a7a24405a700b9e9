#include "app/config.h"

#include "../support/scopedenv.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>

using namespace std::string_literals;

// tl.ini as the Windows profile reader reads it, then the value rules: an outcome is either the settings (the three
// numbers, then NowPlayingFile when given, "resume" when on) or the error's message (and, for each kind of error, its
// dialog text).
TEST(ReadSettings, FollowsTheIniRules)
{
    const std::string rest = "HootInitWaitTime=3000\nDriverInitWaitTime=500\n", tabs(253, '\t');
    const struct
    {
        const char *name;
        std::optional<std::string> file;
        std::string outcome;
        const char *dialog = nullptr;
    } cases[] = {
        {"plain values after a byte-order mark",
         "\xEF\xBB\xBF[config]\r\nDefaultPlayTime=18\r\nHootInitWaitTime=30\r\nDriverInitWaitTime=500", "18 30 500"},
        {"names ignore letter case, blanks around them", "  [ CONFIG ]  \n \tdefaultplaytime \t=  5 \t\n" + rest,
         "5 3000 500"},
        {"comments, TABs, rounding, quotes, order, the first of duplicate keys",
         "; Tunelark\n[config] ; main\ndriverinitwaittime = 5\t00 ; ms\nDefaultPlayTime=2.5\nHootInitWaitTime='7'\n"
         "DefaultPlayTime=9\n",
         "2 7 500"},
        {"negative waits become 0, negative play time kept",
         "[config]\nDefaultPlayTime=-1\nHootInitWaitTime=-10\nDriverInitWaitTime=-2147483648\n", "-1 0 0"},
        {"255-byte cut after quotes", "[config]\nDefaultPlayTime=\"1" + tabs + "23\"\n" + rest, "12 3000 500"},
        {"UTF-16LE", "\xFF\xFE[\0c\0o\0n\0f\0i\0g\0]\0\n\0D\0e\0f\0a\0u\0l\0t\0P\0l\0a\0y\0T\0i\0m\0e\0=\0" "5\0"s,
         "tl.ini: key HootInitWaitTime is missing"},
        {"UTF-16BE", "\xFE\xFF\0[\0c\0o\0n\0f\0i\0g\0]\0\n\0D\0e\0f\0a\0u\0l\0t\0P\0l\0a\0y\0T\0i\0m\0e\0=\0" "5"s,
         "tl.ini: key HootInitWaitTime is missing"},
        {"missing file", std::nullopt, "tl.ini: file is missing or unreadable",
         "設定ファイル tl.ini が見つからないか、読み込めません。"},
        {"keys outside the first [config] are not found",
         "DefaultPlayTime=1\n[other]\nDefaultPlayTime=1\n[config]\n[config]\nDefaultPlayTime=1\n" + rest,
         "tl.ini: key DefaultPlayTime is missing", "設定ファイル tl.ini に DefaultPlayTime がありません。"},
        {"comment lines skipped, CR LF one line", "[config]\r\n;DefaultPlayTime=1\r\n  ; DefaultPlayTime=2\r\n\r\n"
         "DefaultPlayTime=a=b ; x\r\n" + rest, "tl.ini:5: DefaultPlayTime is not a whole number: \"a=b\"",
         "設定ファイル tl.ini の DefaultPlayTime の値「a=b」は整数ではありません。"},
        {"lone CR ends a line", "[config]\r\rDefaultPlayTime=\"\"12\"\"", "tl.ini:3: DefaultPlayTime is not a whole "
         "number: \"\"12\"\""},
        {"unmatched quotes kept", "[config]\nDefaultPlayTime=\"12'\n" + rest,
         "tl.ini:2: DefaultPlayTime is not a whole number: \"\"12'\""},
        {"out of range", "[config]\nDefaultPlayTime=2147483648\n" + rest,
         "tl.ini:2: DefaultPlayTime is out of range: \"2147483648\"",
         "設定ファイル tl.ini の DefaultPlayTime の値「2147483648」は範囲外です。"},
        {"only a comment", "[config]\nDefaultPlayTime=1\nHootInitWaitTime=;123\n",
         "tl.ini:3: HootInitWaitTime has no value: \";123\"",
         "設定ファイル tl.ini の HootInitWaitTime の値「;123」には数値がありません。"},
        {"empty value", "[config]\nDefaultPlayTime=1\nHootInitWaitTime=1\nDriverInitWaitTime=\n",
         "tl.ini:4: DriverInitWaitTime has no value: \"\"", "設定ファイル tl.ini の DriverInitWaitTime に値がありません。"},
        {"now-playing path after the rules, Shift-JIS read", "[config]\nDefaultPlayTime=1\n" + rest
         + "NowPlayingFile = \toverlay/\x8D\xC4\x90\xB6 1.txt ; for the stream\n", "1 3000 500 overlay/再生 1.txt"},
        {"now-playing path neither UTF-8 nor Shift-JIS", "[config]\nDefaultPlayTime=1\nNowPlayingFile=a\x81\n" + rest,
         "tl.ini:3: NowPlayingFile is neither UTF-8 nor Shift-JIS: \"a\\x81\""},
        {"Resume=1 after the rules", "[config]\nDefaultPlayTime=1\n" + rest + "Resume = 1\t; go on\n",
         "1 3000 500 resume"},
        {"Resume neither 0 nor 1", "[config]\nResume=yes\nDefaultPlayTime=1\n" + rest,
         "tl.ini:2: Resume is neither 0 nor 1: \"yes\"",
         "設定ファイル tl.ini の Resume の値「yes」は 0 でも 1 でもありません。"},
        {"bytes that are not UTF-8 escaped, UTF-8 shown as it is",
         "[config]\nDefaultPlayTime=\x82P１\n" + rest, "tl.ini:2: DefaultPlayTime is not a whole number: \"\\x82P１\""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        if (c.file)
            std::ofstream(dir.file("tl.ini"), std::ios::binary) << *c.file;
        const Result<Settings> read = readSettings(dir.path());
        if (read) {
            EXPECT_EQ(read->iniPath, dir.file("tl.ini"));
            EXPECT_EQ(std::to_string(read->defaultPlayTime) + " " + std::to_string(read->emulatorStartWait) + " "
                          + std::to_string(read->driverStartWait)
                          + (read->nowPlayingFile.empty() ? "" : " " + read->nowPlayingFile)
                          + (read->resume ? " resume" : ""),
                      c.outcome);
        } else {
            EXPECT_EQ(read.error().detail, c.outcome);
            EXPECT_TRUE(!c.dialog || read.error().text == c.dialog) << read.error().text;
        }
    }
}
