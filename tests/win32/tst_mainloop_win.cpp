// The Windows main loop: timers in deadline order, the end of a client
// handed over from the loop itself, sleeping while nothing happens, and the
// end at WM_QUIT. Starts the Win32 client stand-in, which sits next to this
// program.

#include "platform/platform_win.h"
#include "win32/mainloop_win.h"

#include "scopedenv.h"

#include <gtest/gtest.h>

#include <vector>

using namespace std::chrono_literals;

namespace {

constexpr int kQuitCode = 7;

int runLoop(WinMainLoop &loop) { return loop.run([] { return HWND{}; }); }

// The processor time this process has used so far.
std::chrono::milliseconds processorTime()
{
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ticks = [](const FILETIME &time) {
        return (static_cast<long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return std::chrono::milliseconds((ticks(kernel) + ticks(user)) / 10'000);
}

} // namespace

// Timers started in any order fire soonest first; a cancelled one, also one
// cancelled by an earlier call-back, never fires. The loop ends at WM_QUIT
// with its code.
TEST(WinMainLoop, TimersFireInDeadlineOrderUnlessCancelled)
{
    const struct
    {
        const char *name;
        std::vector<int> delays; // ms; timer i gets delays[i]
        int cancelledAtOnce;     // -1: none
        int cancelledByFirst;    // cancelled by the call-back of the first to fire; -1: none
        std::vector<int> fired;
    } cases[] = {
        {"soonest first", {90, 30, 60}, -1, -1, {1, 2, 0}},
        {"started at the same time, in start order", {30, 30, 0}, -1, -1, {2, 0, 1}},
        {"cancelled at once", {30, 60}, 0, -1, {1}},
        {"cancelled by a call-back, due later", {30, 0}, -1, 0, {1}},
        {"cancelled by a call-back, due with it", {0, 0}, -1, 1, {0}},
    };
    for (const auto &test : cases) {
        SCOPED_TRACE(test.name);
        WinPlatform platform;
        WinMainLoop loop(platform);
        std::vector<MainLoop::TimerId> ids;
        std::vector<int> fired;
        for (std::size_t i = 0; i < test.delays.size(); ++i) {
            ids.push_back(loop.startTimer(std::chrono::milliseconds(test.delays[i]), [&, i] {
                if (fired.empty() && test.cancelledByFirst >= 0)
                    loop.cancelTimer(ids[static_cast<std::size_t>(test.cancelledByFirst)]);
                fired.push_back(static_cast<int>(i));
            }));
        }
        if (test.cancelledAtOnce >= 0)
            loop.cancelTimer(ids[static_cast<std::size_t>(test.cancelledAtOnce)]);
        loop.startTimer(200ms, [] { PostQuitMessage(kQuitCode); });
        EXPECT_EQ(runLoop(loop), kQuitCode);
        EXPECT_EQ(fired, test.fired);
    }
}

// A timer that starts itself again with no delay leaves the messages their
// turn: the loop still ends at a WM_QUIT that waits.
TEST(WinMainLoop, ATimerStartedAgainAtOnceDoesNotHoldUpTheMessages)
{
    WinPlatform platform;
    WinMainLoop loop(platform);
    int turns = 0;
    std::function<void()> again = [&] {
        if (++turns < 1000)
            loop.startTimer(0ms, again);
    };
    loop.startTimer(0ms, again);
    PostQuitMessage(kQuitCode);
    EXPECT_EQ(runLoop(loop), kQuitCode);
    EXPECT_LT(turns, 1000);
}

// The end of a client comes from the loop, never from inside watchProcess,
// and its exit code is there at once; a watch stopped never calls back. The
// thread sleeps while the client runs.
TEST(WinMainLoop, AClientsEndIsHandedOverFromTheLoop)
{
    const struct
    {
        const char *name;
        const char *delayMs;  // the client's run
        bool waitedForFirst;  // the platform has seen the end before the watch starts
        bool stopped;         // the watch is stopped before the loop runs
    } cases[] = {
        {"running client", "1000", false, false},
        {"client already waited for", "0", true, false},
        {"watch stopped", "0", false, true},
    };
    ScopedEnv noEmulatorNeeded("HOOT_STANDIN_EXIT", "3");
    for (const auto &test : cases) {
        SCOPED_TRACE(test.name);
        ScopedEnv delay("HOOT_STANDIN_DELAY_MS", test.delayMs);
        WinPlatform platform;
        WinMainLoop loop(platform);
        const Result<ProcessId> started = platform.startProgram("hootclient code 1", ShowStyle::Hidden);
        ASSERT_TRUE(started) << started.error().detail;
        const ProcessId pid = started.value();
        ASSERT_GT(pid, 0);
        if (test.waitedForFirst) {
            ASSERT_EQ(platform.waitForExit(pid, 10s).outcome, WaitResult::Outcome::Exited);
        }
        std::vector<int> exitCodes;
        loop.watchProcess(pid, [&] {
            const WaitResult result = platform.waitForExit(pid, 0ms);
            exitCodes.push_back(result.outcome == WaitResult::Outcome::Exited ? result.exitCode : -1);
            PostQuitMessage(kQuitCode);
        });
        EXPECT_TRUE(exitCodes.empty());
        if (test.stopped)
            loop.stopWatching(pid);
        // Bounds the run when no end comes.
        loop.startTimer(test.stopped ? 1000ms : 10s, [] { PostQuitMessage(kQuitCode); });
        const auto usedBefore = processorTime();
        EXPECT_EQ(runLoop(loop), kQuitCode);
        EXPECT_LT(processorTime() - usedBefore, 100ms);
        EXPECT_EQ(exitCodes, test.stopped ? std::vector<int>{} : std::vector<int>{3});
        platform.terminate(pid);
    }
}
