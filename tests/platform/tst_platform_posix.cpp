#include "emulator/emulator.h"
#include "emulator/platform_posix.h"

#include "xvfb.h"

#include <gtest/gtest.h>

#include <fcntl.h>

using namespace std::chrono_literals;

class PlatformWindow : public testing::TestWithParam<bool>
{
};

// Under a window manager the windows sit inside its frames.
TEST_P(PlatformWindow, FindsAWindowByItsWholeTitleOnly)
{
    XvfbServer xvfb;
    ASSERT_EQ(xvfb.start(GetParam()), "");
    PosixPlatform platform; // one across the start: a window mapped later is still seen
    const auto found = [&](const std::string &title) { return platform.findWindow(title).search == WindowSearch::Found; };
    EXPECT_FALSE(found(kHootWindowTitle));
    ChildProcess emulator, message;
    ASSERT_EQ(emulator.start({"hoot.exe"}), "");
    ASSERT_TRUE(waitUntil([&] { return found(kHootWindowTitle); }));
    EXPECT_FALSE(found("hoot... - sound hardware emulator"));
    EXPECT_FALSE(found("hoot..."));
    EXPECT_FALSE(found(std::string(kHootWindowTitle) + " "));
    // xmessage (Xt) sets WM_NAME as a Latin-1 STRING and no _NET_WM_NAME.
    ASSERT_EQ(message.start({"xmessage", "-title", "Café hoot", "x"}), "");
    EXPECT_TRUE(waitUntil([&] { return found("Café hoot"); }));
    emulator.stop();
    EXPECT_TRUE(waitUntil([&] { return !found(kHootWindowTitle); }));
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, PlatformWindow, testing::Bool());

TEST(Platform, StartFailuresSayWhyAndNoDisplayIsTold)
{
    const struct
    {
        std::string commandLine, error;
    } cases[] = {
        {"tunelark-no-such-program override", "not found"},
        {"/etc/passwd x", "not executable"},
        {"", "empty command line"},
        {"   ", "empty command line"},
    };
    PosixPlatform platform;
    for (const auto &c : cases)
        EXPECT_EQ(platform.startProgram(c.commandLine, ShowStyle::Hidden).error, c.error) << c.commandLine;
    ScopedEnv noDisplay("DISPLAY", std::nullopt);
    EXPECT_EQ(PosixPlatform().findWindow(kHootWindowTitle).search, WindowSearch::NoDisplay);
}

// Waits and pauses keep the window alive by pumping, notice the end at once,
// stop at their limit; terminate ends even a program that ignores SIGTERM.
TEST(Platform, WaitsPumpAndEndInTime)
{
    const int leaked = open("/dev/null", O_RDONLY); // without O_CLOEXEC on purpose
    const struct
    {
        std::string commandLine;
        std::chrono::milliseconds limit;
        bool timesOut;
        int exitCode;
    } cases[] = {
        {R"(sh -c "exit 7")", 10s, false, 7},
        {R"(sh -c "kill -9 $$")", 10s, false, 128 + 9},
        {"hootclient code 18", 10s, false, 3}, // no emulator
        {R"(sh -c "sleep 0.3")", 10s, false, 0},
        {R"(sh -c "trap '' TERM; while :; do sleep 0.1; done")", 300ms, true, 128 + 9},
        // A descriptor of this program, not marked close-on-exec, is not inherited.
        {"sh -c \"test -e /proc/self/fd/" + std::to_string(leaked) + '"', 10s, false, 1},
    };
    ScopedEnv noEmulator("HOOT_STANDIN_SOCKET", "/nonexistent/tunelark-hoot");
    PosixPlatform platform;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.commandLine);
        const StartResult start = platform.startProgram(c.commandLine, ShowStyle::Hidden);
        ASSERT_TRUE(start.ok()) << start.error;
        int pumped = 0;
        const auto began = platform.now();
        const WaitResult result = platform.waitForExit(start.pid, c.limit, [&] { ++pumped; });
        const auto took = platform.now() - began;
        EXPECT_EQ(result.outcome == WaitResult::Outcome::TimedOut, c.timesOut);
        EXPECT_EQ(platform.hasExited(start.pid), !c.timesOut);
        EXPECT_LT(took, c.timesOut ? c.limit + 1s : 1500ms);
        EXPECT_GE(pumped, took / 60ms);
        if (c.timesOut)
            platform.terminate(start.pid);
        EXPECT_TRUE(platform.hasExited(start.pid));
        EXPECT_EQ(c.timesOut ? platform.waitForExit(start.pid, 0ms, {}).exitCode : result.exitCode, c.exitCode);
    }
    close(leaked);
    int pumped = 0;
    const auto began = platform.now();
    platform.pause(200ms, [&] { ++pumped; });
    EXPECT_GE(platform.now() - began, 200ms);
    EXPECT_GE(pumped, 5);
}
