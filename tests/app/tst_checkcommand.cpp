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

TEST(CheckCommand, ReportsListAndSettings)
{
    const std::pair<std::string, std::string> ini = {
        "tl.ini", "[config]\nDefaultPlayTime=180\nHootInitWaitTime=3000\nDriverInitWaitTime=500\n"};
    const std::string list = "; my list\r\n  01:35 , \"Alpha\" ,\"m1\",\"s2\", 0x12 ,\" Opening Theme \"\r\n\r\n"
                             "03:05,\"Beta\",\"m\",\"s\",1.5,\"End\"\r\n";
    const std::string listOut = "; my list\n01:35,\"Alpha\",\"m1\",\"s2\",18,\"Opening Theme\"\n\n"
                                "03:05,\"Beta\",\"m\",\"s\",1.5,\"End\"\n";
    const std::string track = "00:10,\"A\",\"m\",\"s\",1,\"T\"";
    const struct
    {
        const char *name;
        std::vector<std::string> args;
        std::vector<std::pair<std::string, std::string>> files;
        int exitCode;
        std::string out, err = {}; // out: for help, the start of it
        std::function<void(const fs::path &list)> make = {}; // then makes or changes tl.lst
    } cases[] = {
        {"good list and good settings", {"--check"}, {ini, {"tl.lst", list}}, 0, listOut, ""},
        {"no tl.ini: start-up would refuse", {"--check"}, {{"tl.lst", list}}, 1, listOut,
         "tl.ini: file is missing or unreadable\n"},
        {"check after Qt's options, list named, in a folder with a Japanese name",
         {"-platform", "offscreen", "-reverse", "--check", "曲 リスト/a.lst"}, {ini, {"曲 リスト/a.lst", list}}, 0, listOut},
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
        {"Shift-JIS list shown in UTF-8; a changed reading is only a warning", {"--check"},
         {ini, {"tl.lst", "0a:10,\"\x83\x51\x81\x5B\x83\x80\",\"m\",\"s\",1,\"\x8B\xC8\"\r\n"}}, 0,
         "00:00,\"ゲーム\",\"m\",\"s\",1,\"曲\"\n",
         "tl.lst:1: warning: play time \"0a:10\" is not minutes and seconds; read as no stored time\n"},
        {"unreadable lines are kept in their places, bad bytes shown with replacement characters", {"--check"},
         {ini, {"tl.lst", "\x83\x51\x81\"yy\x82\r\nnot a track\r\n" + track}}, 1,
         "ゲ\uFFFD\"yy\uFFFD\nnot a track\n" + track + "\n",
         "tl.lst:1: bytes are not valid Shift-JIS\ntl.lst:2: fewer than six fields\n"},
        // Only regular files are read as lists, without waiting on a FIFO's writer or reading a device without end.
        {"a folder", {"--check"}, {ini, {"tl.lst/x", ""}}, 2, "", "tl.lst: cannot be read: Is a directory\n"},
        {"larger than any list", {"--check"}, {ini, {"tl.lst", track}}, 2, "",
         "tl.lst: cannot be read: is larger than 256 MB\n",
         [](const fs::path &list) { fs::resize_file(list, kMaxFileBytes + 1); }},
#ifndef _WIN32
        {"a FIFO without a writer", {"--check"}, {ini}, 2, "",
         "tl.lst: cannot be read: is not a regular file (a FIFO or a device)\n",
         [](const fs::path &list) { ASSERT_EQ(mkfifo(list.c_str(), 0600), 0); }},
        {"a device without end", {"--check", "/dev/zero"}, {ini}, 2, "",
         "/dev/zero: cannot be read: is not a regular file (a FIFO or a device)\n"},
#endif
        {"two files", {"--check", "a", "b"}, {}, 2, "",
         "tunelark: --check takes at most one FILE\nTry 'tunelark --help' for more information.\n"},
        {"help wins over check", {"--check", "--help"}, {}, 0,
         "Usage: tunelark [--check [FILE] | --help | --version]\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        for (const auto &[name, bytes] : c.files) {
            const fs::path file = pathFromUtf8(dir.file(name));
            fs::create_directories(file.parent_path());
            std::ofstream(file, std::ios::binary) << bytes;
        }
        if (c.make)
            c.make(pathFromUtf8(dir.file("tl.lst")));
        std::ostringstream out, err;
        EXPECT_EQ(runCommandLine(c.args, out, err, dir.path()), c.exitCode);
        EXPECT_EQ(c.files.empty() && c.exitCode == 0 ? out.str().substr(0, c.out.size()) : out.str(), c.out);
        EXPECT_EQ(err.str(), c.err);
    }
}
