#include "app/checkcommand.h"

#include "tempdir.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>

static std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        result.push_back(line);
    return result;
}

TEST(CheckCommand, ReportsListAndSettings)
{
    const std::string ini = "[config]\nDefaultPlayTime=180\nHootInitWaitTime=3000\nDriverInitWaitTime=500\n";
    const std::string list = "; my list\r\n  01:35 , \"Alpha\" ,\"m1\",\"s2\", 0x12 ,\" Opening Theme \"\r\n\r\n"
                             "03:05,\"Beta\",\"m\",\"s\",1.5,\"End\"\r\n";
    const std::vector<std::string> listOut = {"; my list", "01:35,\"Alpha\",\"m1\",\"s2\",18,\"Opening Theme\"", "",
                                              "03:05,\"Beta\",\"m\",\"s\",1.5,\"End\""};
    const std::string track = "00:10,\"A\",\"m\",\"s\",1,\"T\"";
    const struct
    {
        const char *name;
        std::vector<std::string> args;
        std::optional<std::string> ini;
        std::vector<std::pair<std::string, std::string>> files;
        int exitCode;
        std::vector<std::string> out;
        std::vector<std::string> errPrefixes; // the start of each line of standard error
    } cases[] = {
        {"good list and good settings", {"--check"}, ini, {{"tl.lst", list}}, 0, listOut, {}},
        {"no tl.ini: start-up would refuse", {"--check"}, std::nullopt, {{"tl.lst", list}}, 1, listOut,
         {"tl.ini: file is missing or unreadable"}},
        {"check after Qt's options, list named", {"-platform", "offscreen", "-reverse", "--check", "lists/a.lst"}, ini,
         {{"lists/a.lst", list}}, 0, listOut, {}},
        {"pause over a minute is a warning", {"--check"},
         "[config]\nDefaultPlayTime=180\nHootInitWaitTime=60001\nDriverInitWaitTime=60000\n", {{"tl.lst", list}}, 0,
         listOut, {"tl.ini:3: warning: HootInitWaitTime is 60001 ms"}},
        {"changed reading is only a warning", {"--check"}, ini, {{"tl.lst", "0a:10,\"A\",\"m\",\"s\",1,\"T\"\r\n"}}, 0,
         {"00:00,\"A\",\"m\",\"s\",1,\"T\""}, {"tl.lst:1: warning: "}},
        {"unreadable line is kept in its place", {"--check"}, ini, {{"tl.lst", track + "\r\nnot a track\r\n" + track}},
         1, {track, "not a track", track}, {"tl.lst:2: "}},
        {"Shift-JIS list shown in UTF-8", {"--check"}, ini,
         {{"tl.lst", "00:10,\"\x83\x51\x81\x5B\x83\x80\",\"m\",\"s\",1,\"\x8B\xC8\"\r\n"}}, 0,
         {"00:10,\"ゲーム\",\"m\",\"s\",1,\"曲\""}, {}},
        {"bad bytes shown with replacement characters", {"--check"}, ini, {{"tl.lst", "xx\x81\"yy\x82\r\n" + track}},
         1, {"xx\uFFFD\"yy\uFFFD", track}, {"tl.lst:1: "}},
        {"missing list file", {"--check"}, ini, {}, 2, {}, {"tl.lst: cannot be read: No such file"}},
        {"unknown option", {"--check", "--frobnicate"}, std::nullopt, {}, 2, {},
         {"tunelark: unknown option '--frobnicate'", "Try 'tunelark --help' for more information."}},
        {"two files", {"--check", "a", "b"}, std::nullopt, {}, 2, {},
         {"tunelark: --check takes at most one FILE", "Try 'tunelark --help'"}},
        // Help and version go to standard output; only their first line is checked.
        {"help wins over check", {"--check", "--help"}, std::nullopt, {}, 0,
         {"Usage: tunelark [--check [FILE] | --help | --version]"}, {}},
        {"version", {"--version"}, std::nullopt, {}, 0, {"tunelark "}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        if (c.ini)
            dir.write("tl.ini", *c.ini);
        for (const auto &[name, bytes] : c.files)
            dir.write(name, bytes);
        std::ostringstream out, err;
        EXPECT_EQ(runCommandLine(c.args, out, err, dir.path), c.exitCode);
        std::vector<std::string> outLines = lines(out.str());
        if (c.exitCode == 0 && c.files.empty() && !outLines.empty()) // help or version
            outLines = {outLines.front().substr(0, c.out.front().size())};
        EXPECT_EQ(outLines, c.out);
        const std::vector<std::string> errLines = lines(err.str());
        ASSERT_EQ(errLines.size(), c.errPrefixes.size()) << err.str();
        for (std::size_t i = 0; i < errLines.size(); ++i)
            EXPECT_TRUE(errLines[i].starts_with(c.errPrefixes[i])) << errLines[i];
    }
}
