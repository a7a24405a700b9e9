// The desktop's player controls as a desktop drives them: the real playerctl
// on a private session bus (the test runs under dbus-run-session), the player
// started from another folder with the folder to play as its argument, the
// stand-in emulator and client first on PATH, Xvfb without a window manager.

#include "childprocess.h"
#include "journal.h"
#include "scopedenv.h"
#include "xvfb.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

using namespace std::chrono_literals;
using Orders = std::vector<std::vector<std::string>>;


TEST(DesktopControls, PlayerctlDrivesThePlayerOfAFolderStartedElsewhere)
{
    ASSERT_TRUE(std::getenv("DBUS_SESSION_BUS_ADDRESS")) << "runs under dbus-run-session";
    TempDir dir;
    ScopedEnv journalEnv{"HOOT_STANDIN_JOURNAL", dir.file("journal.jsonl")};
    ScopedEnv path{"PATH", std::string(TUNELARK_STANDIN_BIN) + ":" + std::getenv("PATH")};
    ScopedEnv platform{"QT_QPA_PLATFORM", "xcb"};
    XvfbServer xvfb;
    ASSERT_EQ(xvfb.start(false), "");
    // 星海 in Shift-JIS. The first track keeps 600 s, the second plays the
    // default 2 s, so a loop that is not honoured moves on at its third second.
    std::ofstream(dir.file("tl.ini")) << "[config]\r\nDefaultPlayTime=2\r\nHootInitWaitTime=0\r\nDriverInitWaitTime=0\r\n";
    std::ofstream(dir.file("tl.lst"), std::ios::binary)
        << "10:00,\"\x90\xaf\x8a\x43\",\"lkfm\",\"1\",1,\"Morning\"\r\n,\"\x90\xaf\x8a\x43\",\"lkfm\",\"1\",2,\"Harbour\"\r\n"
           ",\"Meadow\",\"lkpsg\",\"2\",16,\"Title\"\r\n";
    ChildProcess app;
    ASSERT_EQ(app.start({"env", "-C", "/", TUNELARK_BINARY, dir.path()}, dir.file("tunelark.log")), "");

    // Each query is asked again until it answers as expected (a change takes a
    // moment); an order (no answer expected) is given once.
    const struct
    {
        std::vector<std::string> args;
        std::optional<std::string> answer;
    } steps[] = {
        {{"--list-all"}, "tunelark"},
        {{"metadata", "xesam:title"}, "Morning"},
        {{"metadata", "xesam:album"}, "星海"},
        {{"metadata", "mpris:length"}, "600000000"},
        {{"metadata", "mpris:trackid"}, "'/org/tunelark/track/0'"},
        {{"status"}, "Playing"},
        {{"loop", "Track"}, {}},
        {{"loop"}, "Track"},
        {{"next"}, {}},
        {{"metadata", "xesam:title"}, "Harbour"},
        {{"metadata", "mpris:length"}, "2000000"},
        // Past the track's 2 s: the loop box holds it.
        {{"position"}, "4"},
        {{"shuffle", "On"}, {}},
        {{"shuffle"}, "On"},
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.args.at(0) + (step.args.size() > 1 ? " " + step.args[1] : ""));
        std::vector<std::string> command{"playerctl", "--player=tunelark"};
        command.insert(command.end(), step.args.begin(), step.args.end());
        const auto deadline = std::chrono::steady_clock::now() + 15s;
        std::string answer;
        do {
            std::remove(dir.file("playerctl.out").c_str());
            ChildProcess run;
            ASSERT_EQ(run.start(command, dir.file("playerctl.out")), "");
            ASSERT_TRUE(run.waitForExit(10s));
            answer = fileBytes(dir.file("playerctl.out"));
            if (!answer.empty() && answer.back() == '\n')
                answer.pop_back();
            if (step.args.at(0) == "position")
                answer = answer.substr(0, answer.find('.')); // whole seconds; playerctl adds the time since

            if (!step.answer || answer == *step.answer)
                break;
            std::this_thread::sleep_for(100ms);
        } while (std::chrono::steady_clock::now() < deadline);
        if (step.answer) {
            ASSERT_EQ(answer, *step.answer) << fileBytes(dir.file("tunelark.log"));
        }
    }
    const Orders played = {{"override"}, {"title=星海", "major=lkfm", "sub=1"}, {"code", "1"}, {"code", "2"}};
    EXPECT_EQ(readJournal(dir.file("journal.jsonl")), played);
    app.stop();
}
