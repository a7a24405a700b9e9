// The desktop's player controls as a desktop drives them: playerctl on a private
// session bus (dbus-run-session), the player started elsewhere with its folder as
// argument, the stand-in emulator and client first on PATH, Xvfb without a window manager.

#include "childprocess.h"
#include "journal.h"
#include "scopedenv.h"
#include "xvfb.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

using namespace std::chrono_literals;

TEST(DesktopControls, PlayerctlDrivesThePlayerOfAFolderStartedElsewhere)
{
    ASSERT_TRUE(std::getenv("DBUS_SESSION_BUS_ADDRESS")) << "runs under dbus-run-session";
    TempDir dir;
    ScopedEnv journal{"HOOT_STANDIN_JOURNAL", dir.file("journal.jsonl")}, platform{"QT_QPA_PLATFORM", "xcb"};
    ScopedEnv path{"PATH", std::string(TUNELARK_STANDIN_BIN) + ":" + std::getenv("PATH")};
    XvfbServer xvfb;
    ASSERT_EQ(xvfb.start(false), "");
    // 星海 in Shift-JIS. The first track keeps 600 s, the second plays the
    // default 2 s, so a loop that is not honoured moves on at its third second.
    std::ofstream(dir.file("tl.ini")) << "[config]\r\nDefaultPlayTime=2\r\nHootInitWaitTime=0\r\nDriverInitWaitTime=0\r\n";
    std::ofstream(dir.file("tl.lst"), std::ios::binary)
        << "10:00,\"\x90\xaf\x8a\x43\",\"lkfm\",\"1\",1,\"Morning\"\r\n"
           ",\"\x90\xaf\x8a\x43\",\"lkfm\",\"1\",2,\"Harbour\"\r\n";
    ChildProcess app;
    ASSERT_EQ(app.start({"env", "-C", "/", TUNELARK_BINARY, dir.path()}, dir.file("tunelark.log")), "");

    // Each query is asked until it answers as expected (a change takes a moment);
    // an order answers nothing. A loop not honoured shows in the orders played.
    const std::string now = "--format={{status}} {{xesam:album}} {{xesam:title}} {{mpris:length}} {{mpris:trackid}}";
    const std::vector<std::vector<std::string>> steps = {
        {"--list-all", "", "tunelark"},
        {"metadata", now, "Playing 星海 Morning 600000000 '/org/tunelark/track/0'"},
        {"loop", "Track", ""},
        {"next", "", ""},
        {"metadata", now, "Playing 星海 Harbour 2000000 '/org/tunelark/track/1'"},
        {"position", "", "4"}, // past the track's 2 s: the loop box holds it
        {"shuffle", "On", ""},
        {"shuffle", "", "On"},
    };
    for (const auto &step : steps) {
        std::vector<std::string> command{"playerctl", "--player=tunelark", step[0], step[1]};
        std::erase(command, "");
        const std::string out = dir.file("playerctl.out");
        std::string answer = "(not asked)";
        const auto deadline = std::chrono::steady_clock::now() + 15s;
        for (; answer != step[2] && std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(100ms)) {
            std::remove(out.c_str());
            ChildProcess run;
            ASSERT_EQ(run.start(command, out), "");
            ASSERT_TRUE(run.waitForExit(10s));
            std::getline(std::ifstream(out), answer);
            answer = answer.substr(0, answer.find('.')); // whole seconds of a position
        }
        ASSERT_EQ(answer, step[2]) << step[0] << " " << step[1];
    }
    const std::vector<std::vector<std::string>> played = {
        {"override"}, {"title=星海", "major=lkfm", "sub=1"}, {"code", "1"}, {"code", "2"}};
    EXPECT_EQ(readJournal(dir.file("journal.jsonl")), played);
}
