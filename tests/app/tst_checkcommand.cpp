#include "app/checkcommand.h"

#include "tempdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace fs = std::filesystem;

static std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        result.push_back(line);
    return result;
}

static const std::string kGoodIni = "[config]\nDefaultPlayTime=180\nHootInitWaitTime=3000\nDriverInitWaitTime=500\n";

struct CheckCase
{
    const char *name;
    std::vector<std::string> args;
    std::optional<std::string> ini;
    std::vector<std::pair<std::string, std::string>> files;
    int exitCode;
    std::vector<std::string> out;
    // Each line of standard error must start with its prefix; the reasons of
    // list problems are the list reader's own wording.
    std::vector<std::string> errPrefixes;
};

TEST(CheckCommand, ReportsListAndSettings)
{
    const std::string good = "; my list\r\n"
                             "  01:35 , \"Alpha\" ,\"m1\",\"s2\", 0x12 ,\" Opening Theme \"\r\n"
                             "\r\n"
                             "03:05,\"Beta\",\"m\",\"s\",1.5,\"End\"\r\n";
    const std::vector<std::string> goodOut = {"; my list", "01:35,\"Alpha\",\"m1\",\"s2\",18,\"Opening Theme\"", "",
                                              "03:05,\"Beta\",\"m\",\"s\",1.5,\"End\""};
    const CheckCase cases[] = {
        {"no tl.ini: start-up would refuse", {"--check"}, std::nullopt, {{"tl.lst", good}}, 1, goodOut,
         {"tl.ini: file is missing or unreadable"}},
        {"good list and good settings", {"--check"}, kGoodIni, {{"tl.lst", good}}, 0, goodOut, {}},
        {"check after Qt's options", {"-platform", "offscreen", "-reverse", "--check"}, kGoodIni, {{"tl.lst", good}}, 0,
         goodOut, {}},
        {"pause over a minute is a warning", {"--check"}, "[config]\nDefaultPlayTime=180\nHootInitWaitTime=60001\nDriverInitWaitTime=60000\n",
         {{"tl.lst", good}}, 0, goodOut, {"tl.ini:3: warning: HootInitWaitTime is 60001 ms"}},
        {"list named on the command line", {"--check", "lists/a.lst"}, kGoodIni, {{"lists/a.lst", good}}, 0,
         goodOut, {}},
        {"changed reading is only a warning",
         {"--check"},
         kGoodIni,
         {{"tl.lst", "0a:10,\"A\",\"m\",\"s\",1,\"T\"\r\n"}},
         0,
         {"00:00,\"A\",\"m\",\"s\",1,\"T\""},
         {"tl.lst:1: warning: "}},
        {"unreadable line is kept in its place",
         {"--check"},
         kGoodIni,
         {{"tl.lst", "00:10,\"A\",\"m\",\"s\",1,\"T\"\r\nnot a track\r\n00:20,\"B\",\"m\",\"s\",2,\"U\"\r\n"}},
         1,
         {"00:10,\"A\",\"m\",\"s\",1,\"T\"", "not a track", "00:20,\"B\",\"m\",\"s\",2,\"U\""},
         {"tl.lst:2: "}},
        {"Shift-JIS list shown in UTF-8",
         {"--check"},
         kGoodIni,
         {{"tl.lst", "00:10,\"\x83\x51\x81\x5B\x83\x80\",\"m\",\"s\",1,\"\x8B\xC8\"\r\n"}},
         0,
         {"00:10,\"ゲーム\",\"m\",\"s\",1,\"曲\""},
         {}},
        {"bad bytes shown with replacement characters",
         {"--check"},
         kGoodIni,
         {{"tl.lst", "xx\x81\"yy\x82\r\n00:10,\"A\",\"m\",\"s\",1,\"T\"\r\n"}},
         1,
         {"xx\uFFFD\"yy\uFFFD", "00:10,\"A\",\"m\",\"s\",1,\"T\""},
         {"tl.lst:1: "}},
        {"bad settings are a problem", {"--check"}, "[config]\nDefaultPlayTime=abc\n", {{"tl.lst", good}}, 1, goodOut,
         {"tl.ini:2: DefaultPlayTime is not a whole number: \"abc\""}},
        {"missing setting is a problem", {"--check"}, "[config]\n", {{"tl.lst", good}}, 1, goodOut,
         {"tl.ini: key DefaultPlayTime is missing"}},
        {"missing list file", {"--check"}, kGoodIni, {}, 2, {}, {"tl.lst: cannot be read: No such file"}},
        {"list file that is a directory", {"--check", "lists"}, kGoodIni, {{"lists/a.lst", good}}, 2, {},
         {"lists: cannot be read: Is a directory"}},
        {"missing list with bad settings", {"--check"}, "[config]\n", {}, 2, {},
         {"tl.ini: key DefaultPlayTime is missing", "tl.lst: cannot be read: "}},
        {"unknown option", {"--frobnicate"}, std::nullopt, {}, 2, {},
         {"tunelark: unknown option '--frobnicate'", "Try 'tunelark --help' for more information."}},
        {"unknown option after check", {"--check", "-x"}, std::nullopt, {}, 2, {},
         {"tunelark: unknown option '-x'", "Try 'tunelark --help'"}},
        {"two files", {"--check", "a", "b"}, std::nullopt, {}, 2, {},
         {"tunelark: --check takes at most one FILE", "Try 'tunelark --help'"}},
        {"file without check", {"a.lst"}, std::nullopt, {}, 2, {},
         {"tunelark: unexpected argument 'a.lst'", "Try 'tunelark --help'"}},
    };
    for (const CheckCase &c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        if (c.ini)
            dir.write("tl.ini", *c.ini);
        for (const auto &[name, bytes] : c.files)
            dir.write(name, bytes);
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(runCommandLine(c.args, out, err, dir.path()), c.exitCode);

        EXPECT_EQ(lines(out.str()), c.out);

        const std::vector<std::string> errLines = lines(err.str());
        ASSERT_EQ(errLines.size(), c.errPrefixes.size()) << err.str();
        for (std::size_t i = 0; i < errLines.size(); ++i)
            EXPECT_TRUE(errLines[i].starts_with(c.errPrefixes[i])) << errLines[i];
    }
}

TEST(CheckCommand, HelpAndVersionGoToStandardOutput)
{
    const struct
    {
        const char *name;
        std::vector<std::string> args;
        std::string firstLinePrefix;
    } cases[] = {
        {"help", {"--help"}, "Usage: tunelark [--check [FILE] | --help | --version]"},
        {"help wins over check", {"--check", "--help"}, "Usage: tunelark [--check [FILE] | --help | --version]"},
        {"version", {"--version"}, "tunelark "},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(runCommandLine(c.args, out, err, "."), 0);
        const std::vector<std::string> outLines = lines(out.str());
        ASSERT_FALSE(outLines.empty());
        EXPECT_TRUE(outLines.front().starts_with(c.firstLinePrefix)) << outLines.front();
        EXPECT_TRUE(err.str().empty());
    }
}
