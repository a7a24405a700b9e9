// The Win32 platform layer and the emulator control with the Win32 stand-ins,
// which sit next to this program.

#include "app/singleinstance.h"
#include "emulator/commandline.h"
#include "emulator/emulator.h"
#include "emulator/platform_win.h"

#include "journal.h"
#include "scopedenv.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// Runs this thread's messages, as the window's event loop would.
void drainMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
}
const EventPumps kPumps{drainMessages, drainMessages};

bool waitForWindow(Platform &platform, WindowSearch wanted)
{
    for (const auto deadline = Clock::now() + 30s; platform.findWindow(kHootWindowTitle).search != wanted;) {
        if (Clock::now() > deadline)
            return false;
        platform.pause(20ms, {});
    }
    return true;
}

double cpuSeconds()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto seconds = [](const FILETIME &t) { return ((ULONGLONG{t.dwHighDateTime} << 32) | t.dwLowDateTime) / 1e7; };
    return seconds(kernel) + seconds(user);
}

Track track(std::string title, std::string major, std::string sub, std::int64_t code)
{
    return {{}, std::move(title), std::move(major), std::move(sub), TrackCode::fromWhole(code).value(), {}};
}

} // namespace

TEST(WinPlatform, StartsWithTheShowStyleAndFindsTheWholeTitleOnly)
{
    WinPlatform platform;
    EXPECT_EQ(platform.startProgram("tunelark-no-such-program code 1", ShowStyle::Hidden).error, "not found");
    for (const ShowStyle style : {ShowStyle::MinimizedWithFocus, ShowStyle::Hidden}) {
        const StartResult start = platform.startProgram("hoot.exe", style);
        ASSERT_TRUE(start.ok()) << start.error;
        ASSERT_TRUE(waitForWindow(platform, WindowSearch::Found)); // the first Wine start takes seconds
        const HWND window = FindWindowW(nullptr, L"hoot... - Sound Hardware Emulator");
        const bool shown = style == ShowStyle::MinimizedWithFocus;
        // The window can be found a moment before it is shown.
        for (int i = 0; i < 100 && (IsWindowVisible(window) != 0) != shown; ++i)
            Sleep(50);
        EXPECT_EQ(IsIconic(window) != 0, shown);
        EXPECT_EQ(IsWindowVisible(window) != 0, shown);
        EXPECT_EQ(platform.findWindow("hoot... - Sound Hardware").search, WindowSearch::NotFound);
        EXPECT_EQ(platform.findWindow(std::string(kHootWindowTitle) + " ").search, WindowSearch::NotFound);
        platform.terminate(start.pid);
        EXPECT_TRUE(platform.hasExited(start.pid));
        EXPECT_TRUE(waitForWindow(platform, WindowSearch::NotFound));
    }
}

// Waits sleep until the client ends, a message comes or 10 ms pass, and run
// the pump each time: never spinning, even with a message left queued.
TEST(WinPlatform, WaitsRunThePumpWithoutSpinningAndStopAtTheirLimit)
{
    const struct
    {
        const char *name;
        bool pumpTakesMessages, client, hangs;
    } cases[] = {
        {"slow client", true, true, false},
        {"pause, a message left queued", false, false, false},
        {"hanging client, a message left queued", false, true, true},
    };
    ScopedEnv slow("HOOT_STANDIN_DELAY_MS", "1500");
    ScopedEnv noEmulatorNeeded("HOOT_STANDIN_EXIT", "0");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ScopedEnv hang("HOOT_STANDIN_HANG", c.hangs ? "1" : "0");
        WinPlatform platform;
        PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
        int pumped = 0;
        const EventPump pump = [&] {
            if (++pumped, c.pumpTakesMessages)
                drainMessages();
        };
        const auto began = Clock::now();
        const double cpuBefore = cpuSeconds();
        if (c.client) {
            const StartResult start = platform.startProgram("hootclient code 1", ShowStyle::Hidden);
            ASSERT_TRUE(start.ok()) << start.error;
            const WaitResult result = platform.waitForExit(start.pid, c.hangs ? 1500ms : 20s, pump);
            EXPECT_EQ(result.outcome == WaitResult::Outcome::TimedOut, c.hangs);
            if (c.hangs)
                platform.terminate(start.pid);
            EXPECT_TRUE(platform.hasExited(start.pid));
        } else {
            platform.pause(1500ms, pump);
        }
        const double wall = std::chrono::duration<double>(Clock::now() - began).count();
        const double cpu = cpuSeconds() - cpuBefore;
        drainMessages();
        EXPECT_GE(wall, 1.4);
        EXPECT_LT(wall, 5);
        EXPECT_GE(pumped, static_cast<int>(wall * 1000 / 10 / 2));
        EXPECT_LT(cpu / wall, 0.10) << cpu << " s of processor time in " << wall << " s";
    }
}

TEST(EmulatorControlOnWindows, ClientSeesTheCommandLineAndOnlyTheStartedEmulatorIsEnded)
{
    TempDir dir;
    ScopedEnv journal("HOOT_STANDIN_JOURNAL", dir.file("journal.jsonl"));
    WinPlatform platform;
    Settings settings;
    ProcessId byHand = 0;
    for (const bool foundRunning : {false, true}) {
        SCOPED_TRACE(foundRunning ? "found running" : "started here");
        WinPlatform controlPlatform; // knows nothing of an emulator started before
        Emulator control(controlPlatform, settings, kPumps, {30s, 10s, 50ms});
        ASSERT_TRUE(control.attach());
        EXPECT_EQ(control.state().startedProcess > 0, !foundRunning);
        const ProcessId started = control.state().startedProcess;
        if (!foundRunning) {
            TrackList store;
            store.addRecord(track("ゲーム音楽 第二集", "メジャー", "a\"b", 3));
            store.addRecord(track("Foo Bar", "abc", "1", 1234));
            for (std::int32_t index : {0, 1, 1})
                ASSERT_TRUE(control.play(store, index));
        }
        control.release();
        if (foundRunning) {
            EXPECT_FALSE(platform.hasExited(byHand));
            platform.terminate(byHand);
        } else {
            EXPECT_TRUE(controlPlatform.hasExited(started));
            ASSERT_TRUE(waitForWindow(platform, WindowSearch::NotFound));
            byHand = platform.startProgram("hoot.exe", ShowStyle::Hidden).pid; // for the next round to find
            ASSERT_TRUE(waitForWindow(platform, WindowSearch::Found));
        }
    }
    const std::vector<std::string> lines = {
        "hootclient override", R"(hootclient title="ゲーム音楽 第二集" major="メジャー" sub="a"b")",
        "hootclient code 3",   R"(hootclient title="Foo Bar" major="abc" sub="1")",
        "hootclient code 1234", "hootclient code 1234", "hootclient override"};
    const auto commandLines = readJournal(dir.file("journal.jsonl"), "commandLine");
    const auto arguments = readJournal(dir.file("journal.jsonl"));
    ASSERT_EQ(commandLines.size(), lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(commandLines[i], std::vector<std::string>{lines[i]});
        // The system splits it as the Linux build does.
        std::vector<std::string> split = splitWindowsCommandLine(lines[i]);
        EXPECT_EQ(arguments[i], std::vector<std::string>(split.begin() + 1, split.end())) << lines[i];
    }
}

TEST(SingleInstanceOnWindows, SecondInstanceIsRefusedUntilTheFirstEnds)
{
    std::optional<SingleInstance> first(std::in_place);
    ASSERT_TRUE(first->acquire());
    EXPECT_FALSE(SingleInstance().acquire());
    first.reset();
    EXPECT_TRUE(SingleInstance().acquire());
}
