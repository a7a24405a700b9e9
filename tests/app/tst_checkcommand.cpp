#include "app/checkcommand.h"

#include "../support/scopedenv.h"
#include "util/file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;
using namespace std::string_literals;

TEST(CheckCommand, ReportsListAndSettings)
{
    const std::pair<std::string, std::string> ini = {
        "tl.ini", "[config]\nDefaultPlayTime=180\nHootInitWaitTime=3000\nDriverInitWaitTime=500\n"};
    const std::string list = "; my list\r\n  01:35 , \"Alpha\" ,\"m1\",\"s2\", 0x12 ,\" Opening Theme \"\r\n\r\n"
                             "03:05,\"Beta\",\"m\",\"s\",1.5,\"End\"\r\n";
    const std::string listOut = "; my list\n01:35,\"Alpha\",\"m1\",\"s2\",18,\"Opening Theme\"\n\n"
                                "03:05,\"Beta\",\"m\",\"s\",1.5,\"End\"\n";
    const std::string track = "00:10,\"A\",\"m\",\"s\",1,\"T\"";
    const std::string tryHelp = "Try 'tunelark --help' for more information.\n";
    const struct
    {
        const char *name;
        std::vector<std::string> args;
        std::vector<std::pair<std::string, std::string>> files;
        int exitCode;
        std::string out, err = {}; // out: for help and version, the start of it
    } cases[] = {
        {"good list and good settings", {"--check"}, {ini, {"tl.lst", list}}, 0, listOut, ""},
        {"no tl.ini: start-up would refuse", {"--check"}, {{"tl.lst", list}}, 1, listOut,
         "tl.ini: file is missing or unreadable\n"},
        {"check after Qt's options, list named", {"-platform", "offscreen", "-reverse", "--check", "lists/a.lst"},
         {ini, {"lists/a.lst", list}}, 0, listOut, ""},
        {"list in a folder with a Japanese name", {"--check", "曲 リスト/a.lst"}, {ini, {"曲 リスト/a.lst", list}}, 0,
         listOut, ""},
        {"pause over a minute is a warning", {"--check"},
         {{"tl.ini", "[config]\nDefaultPlayTime=180\nHootInitWaitTime=60001\nDriverInitWaitTime=60000\n"},
          {"tl.lst", list}},
         0, listOut, "tl.ini:3: warning: HootInitWaitTime is 60001 ms, a pause of more than 60 seconds\n"},
        {"now-playing file in a missing folder is a warning", {"--check"},
         {{"tl.ini", ini.second + "NowPlayingFile=gone/now.txt\n"}, {"tl.lst", list}}, 0, listOut,
         "tl.ini:5: warning: NowPlayingFile is in a folder that does not exist: \"gone/now.txt\"\n"},
        {"now-playing file naming a folder is a warning", {"--check"},
         {{"tl.ini", ini.second + "NowPlayingFile=.\n"}, {"tl.lst", list}}, 0, listOut,
         "tl.ini:5: warning: NowPlayingFile names a folder: \".\"\n"},
        {"changed reading is only a warning", {"--check"}, {ini, {"tl.lst", "0a:10,\"A\",\"m\",\"s\",1,\"T\"\r\n"}}, 0,
         "00:00,\"A\",\"m\",\"s\",1,\"T\"\n",
         "tl.lst:1: warning: play time \"0a:10\" is not minutes and seconds; read as no stored time\n"},
        {"unreadable line is kept in its place", {"--check"}, {ini, {"tl.lst", track + "\r\nnot a track\r\n" + track}},
         1, track + "\nnot a track\n" + track + "\n", "tl.lst:2: fewer than six fields\n"},
        {"Shift-JIS list shown in UTF-8", {"--check"},
         {ini, {"tl.lst", "00:10,\"\x83\x51\x81\x5B\x83\x80\",\"m\",\"s\",1,\"\x8B\xC8\"\r\n"}}, 0,
         "00:10,\"ゲーム\",\"m\",\"s\",1,\"曲\"\n", ""},
        {"bad bytes shown with replacement characters", {"--check"}, {ini, {"tl.lst", "xx\x81\"yy\x82\r\n" + track}},
         1, "xx\uFFFD\"yy\uFFFD\n" + track + "\n", "tl.lst:1: bytes are not valid Shift-JIS\n"},
        {"missing list file", {"--check"}, {ini}, 2, "", "tl.lst: cannot be read: No such file or directory\n"},
        {"unknown option", {"--check", "--frobnicate"}, {}, 2, "",
         "tunelark: unknown option '--frobnicate'\n" + tryHelp},
        {"two files", {"--check", "a", "b"}, {}, 2, "", "tunelark: --check takes at most one FILE\n" + tryHelp},
        {"help wins over check", {"--check", "--help"}, {}, 0,
         "Usage: tunelark [--check [FILE] | --help | --version]\n"},
        {"version", {"--version"}, {}, 0, "tunelark "},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        for (const auto &[name, bytes] : c.files) {
            const fs::path file = pathFromUtf8(dir.file(name));
            fs::create_directories(file.parent_path());
            std::ofstream(file, std::ios::binary) << bytes;
        }
        std::ostringstream out, err;
        EXPECT_EQ(runCommandLine(c.args, out, err, dir.path()), c.exitCode);
        EXPECT_EQ(c.files.empty() && c.exitCode == 0 ? out.str().substr(0, c.out.size()) : out.str(), c.out);
        EXPECT_EQ(err.str(), c.err);
    }
}

// Only regular files are read as lists, without waiting on a FIFO's writer or reading a device without end,
// and the reason is named. A NUL in a line is a problem on every system.
TEST(CheckCommand, ReadsOnlyRegularFiles)
{
    const std::string ini = "[config]\nDefaultPlayTime=180\nHootInitWaitTime=3000\nDriverInitWaitTime=500\n";
    const struct
    {
        const char *name;
        std::function<void(const std::string &list)> make;
        std::string file = "tl.lst";
        int exitCode = 2;
        std::string out = {}, err = {};
    } cases[] = {
        {"a folder", [](const std::string &list) { fs::create_directory(pathFromUtf8(list)); }, "tl.lst", 2, "",
         "tl.lst: cannot be read: Is a directory\n"},
        {"larger than any list",
         [](const std::string &list) {
             std::ofstream(pathFromUtf8(list), std::ios::binary) << "00:10,\"A\",\"m\",\"s\",1,\"T\"\r\n";
             fs::resize_file(pathFromUtf8(list), kMaxFileBytes + 1);
         },
         "tl.lst", 2, "", "tl.lst: cannot be read: is larger than 256 MB\n"},
        {"a NUL in a line",
         [](const std::string &list) {
             std::ofstream(pathFromUtf8(list), std::ios::binary) << "00:10,\"A\0B\",\"m\",\"s\",1,\"T\"\r\n"s;
         },
         "tl.lst", 1, "00:10,\"A\uFFFDB\",\"m\",\"s\",1,\"T\"\n", "tl.lst:1: holds a NUL character\n"},
#ifndef _WIN32
        {"a FIFO without a writer", [](const std::string &list) { ASSERT_EQ(mkfifo(list.c_str(), 0600), 0); },
         "tl.lst", 2, "", "tl.lst: cannot be read: is not a regular file (a FIFO or a device)\n"},
        {"a device without end", [](const std::string &) {}, "/dev/zero", 2, "",
         "/dev/zero: cannot be read: is not a regular file (a FIFO or a device)\n"},
#endif
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        std::ofstream(pathFromUtf8(dir.file("tl.ini")), std::ios::binary) << ini;
        c.make(dir.file("tl.lst"));
        std::ostringstream out, err;
        EXPECT_EQ(runCommandLine({"--check", c.file}, out, err, dir.path()), c.exitCode);
        EXPECT_EQ(out.str(), c.out);
        EXPECT_EQ(err.str(), c.err);
    }
}
