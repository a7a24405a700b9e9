#include "emulator/emulator.h"
#include "platform/platform_posix.h"

#include "xvfb.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>

using namespace std::chrono_literals;

using PlatformWindow = testing::TestWithParam<bool>;

// Under a window manager the windows sit inside its frames.
TEST_P(PlatformWindow, FindsAWindowByItsWholeTitleOnly)
{
    XvfbServer xvfb;
    ASSERT_EQ(xvfb.start(GetParam()), "");
    PosixPlatform platform; // one across the start: a window mapped later is still seen
    const auto found = [&](std::string_view title) { return platform.findWindow(title).search == WindowSearch::Found; };
    ChildProcess emulator, message;
    ASSERT_EQ(emulator.start({"hoot.exe"}), "");
    ASSERT_TRUE(waitUntil([&] { return found(kHootWindowTitle); }));
    // Its process, so a restart that gets the old window's id is still told apart.
    EXPECT_EQ(platform.findWindow(kHootWindowTitle).owner, emulator.pid());
    for (const char *title : {"hoot... - sound hardware emulator", "hoot...", "hoot... - Sound Hardware Emulator "})
        EXPECT_FALSE(found(title)) << title;
    // xmessage (Xt) sets WM_NAME as a Latin-1 STRING and no _NET_WM_NAME.
    ASSERT_EQ(message.start({"xmessage", "-title", "Café hoot", "x"}), "");
    EXPECT_TRUE(waitUntil([&] { return found("Café hoot"); }));
    EXPECT_TRUE(found(kHootWindowTitle)); // then gone, though found just before
    emulator.stop();
    EXPECT_TRUE(waitUntil([&] { return !found(kHootWindowTitle); }));
    ChildProcess again; // started again: a new window, maybe with the old one's id, and a new process
    ASSERT_EQ(again.start({"hoot.exe"}), "");
    EXPECT_TRUE(waitUntil([&] { return platform.findWindow(kHootWindowTitle).owner == again.pid(); }));
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, PlatformWindow, testing::Bool());

// Starts say why they fail; the end signal tells a program's end at once and
// a wait stops at its limit; terminate ends even a program
// that ignores SIGTERM.
TEST(Platform, StartsSayWhyTheyFailAndWaitsPumpAndEndInTime)
{
    const int leaked = open("/dev/null", O_RDONLY); // without O_CLOEXEC on purpose
    const struct
    {
        std::string commandLine;
        int exitCode;
        std::string error = {};
        std::chrono::milliseconds limit = 10s; // shorter ones run out
    } cases[] = {
        {R"(sh -c "exit 7")", 7},
        {R"(sh -c "kill -9 $$")", 128 + 9},
        {R"(sh -c "sleep 0.3")", 0},
        {R"(sh -c "trap '' TERM; while :; do sleep 0.1; done")", 128 + 9, {}, 300ms},
        {"sh -c \"test -e /proc/self/fd/" + std::to_string(leaked) + '"', 1}, // not inherited
        {"tunelark-no-such-program override", 0, "tunelark-no-such-program: not found"},
        {"/etc/passwd x", 0, "/etc/passwd: not executable"},
        {"   ", 0, "empty command line"},
    };
    PosixPlatform platform;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.commandLine);
        const Result<ProcessId> start = platform.startProgram(c.commandLine, ShowStyle::Hidden);
        ASSERT_EQ(start ? std::string() : start.error().detail, c.error);
        if (!start)
            continue;
        const ProcessId pid = start.value();
        ASSERT_GT(pid, 0);
        const bool timesOut = c.limit < 1s;
        // The main loop's signal: readable exactly once the process has ended.
        const std::intptr_t endSignal = platform.endSignal(pid);
        ASSERT_GE(endSignal, 0);
        pollfd entry{static_cast<int>(endSignal), POLLIN, 0};
        const auto began = platform.now();
        const bool ended = poll(&entry, 1, static_cast<int>(c.limit.count())) == 1;
        const auto took = platform.now() - began;
        EXPECT_EQ(!ended, timesOut);
        EXPECT_TRUE(took < (timesOut ? c.limit + 1s : 1500ms));
        const WaitResult result = platform.waitForExit(pid, 0ms);
        EXPECT_EQ(result.outcome == WaitResult::Outcome::TimedOut, timesOut);
        if (timesOut)
            platform.terminate(pid);
        EXPECT_TRUE(platform.hasExited(pid));
        EXPECT_EQ(timesOut ? platform.waitForExit(pid, 0ms).exitCode : result.exitCode, c.exitCode);
    }
    close(leaked);
    // The kernel refuses an argument of 32 pages; a long title below that goes out whole.
    for (const auto &[length, fits] : {std::pair{100000, true}, {131071, true}, {131072, false}})
        EXPECT_EQ(platform.commandLineFits("hootclient \"title=" + std::string(length - 6, 'x') + "\""), fits) << length;
    ScopedEnv noDisplay("DISPLAY", std::nullopt);
    EXPECT_EQ(PosixPlatform().findWindow(kHootWindowTitle).search, WindowSearch::NoDisplay);
}
