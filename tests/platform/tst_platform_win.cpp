// The Win32 platform layer and the emulator control with the Win32 stand-ins,
// which sit next to this program.

#include "app/singleinstance.h"
#include "emulator/emulator.h"
#include "emulator/platform_win.h"

#include "journal.h"
#include "scopedenv.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace std::chrono_literals;

// Runs this thread's messages, as the window's event loop would.
static void drainMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
}

// The control starts the emulator minimized and ends it; each client gets its
// command line as built.
TEST(WinPlatform, EmulatorControlHandsOverWholeCommandLinesAndEndsItsEmulator)
{
    TempDir dir;
    ScopedEnv journal("HOOT_STANDIN_JOURNAL", dir.file("journal.jsonl"));
    WinPlatform platform;
    EXPECT_EQ(platform.startProgram("tunelark-no-such-program code 1", ShowStyle::Hidden).error, "not found");
    const Settings settings;
    Emulator control(platform, settings, {drainMessages, drainMessages});
    ASSERT_TRUE(control.attach());
    const ProcessId started = control.state().startedProcess;
    const HWND window = FindWindowW(nullptr, L"hoot... - Sound Hardware Emulator");
    // The window can be found a moment before it is shown.
    for (int i = 0; i < 100 && !IsWindowVisible(window); ++i)
        Sleep(50);
    EXPECT_TRUE(IsIconic(window) && IsWindowVisible(window));
    TrackList store;
    store.addRecord({{}, "ゲーム音楽 第二集", "メジャー", "a\"b", TrackCode::fromWhole(3).value(), {}});
    store.addRecord({{}, "Foo Bar", "abc", "1", TrackCode::fromWhole(1234).value(), {}});
    for (std::int32_t index : {0, 1, 1})
        ASSERT_TRUE(control.play(store, index));
    control.release();
    EXPECT_TRUE(platform.hasExited(started));
    const std::vector<std::vector<std::string>> lines = {
        {"hootclient override"}, {R"(hootclient title="ゲーム音楽 第二集" major="メジャー" sub="a"b")"},
        {"hootclient code 3"},   {R"(hootclient title="Foo Bar" major="abc" sub="1")"},
        {"hootclient code 1234"}, {"hootclient code 1234"}};
    EXPECT_EQ(readJournal(dir.file("journal.jsonl"), "commandLine"), lines);
}

// Waits sleep until the client ends, a message comes or 10 ms pass, and run
// the pump each time: never spinning, even with a message left queued.
TEST(WinPlatform, WaitsRunThePumpWithoutSpinningAndStopAtTheirLimit)
{
    ScopedEnv slow("HOOT_STANDIN_DELAY_MS", "1500"), noEmulatorNeeded("HOOT_STANDIN_EXIT", "0");
    for (const std::string what : {"slow client", "pause, message left queued", "hung client, message left queued"}) {
        SCOPED_TRACE(what);
        const bool hangs = what[0] == 'h';
        ScopedEnv hang("HOOT_STANDIN_HANG", hangs ? "1" : "0");
        WinPlatform platform;
        PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
        int pumped = 0;
        const EventPump pump = [&] { ++pumped, what[0] == 's' ? drainMessages() : void(); };
        const auto began = std::chrono::steady_clock::now();
        if (what[0] == 'p') {
            platform.pause(1500ms, pump);
        } else {
            const ProcessId pid = platform.startProgram("hootclient code 1", ShowStyle::Hidden).pid;
            EXPECT_EQ(platform.waitForExit(pid, hangs ? 1500ms : 20s, pump).outcome == WaitResult::Outcome::TimedOut,
                      hangs);
            if (hangs)
                platform.terminate(pid);
            EXPECT_TRUE(platform.hasExited(pid));
        }
        const auto wall = std::chrono::steady_clock::now() - began;
        EXPECT_TRUE(wall > 1400ms && wall < 5s) << wall / 1ms << " ms";
        EXPECT_TRUE(pumped >= wall / 20ms && pumped < wall / 2ms) << pumped << " pumps in " << wall / 1ms << " ms";
    }
}

TEST(SingleInstanceOnWindows, SecondInstanceIsRefusedUntilTheFirstEndsAndAFailureIsNoSecondInstance)
{
    std::optional<SingleInstance> first(std::in_place);
    EXPECT_TRUE(first->acquire().value() && !SingleInstance().acquire().value());
    first.reset();
    EXPECT_TRUE(SingleInstance().acquire().value());
    // Another kind of object under the mutex's name: CreateMutexW fails, and says why.
    const HANDLE squatter = CreateEventW(nullptr, FALSE, FALSE, L"Local\\Tunelark.SingleInstance");
    const Result<bool> blocked = SingleInstance().acquire();
    CloseHandle(squatter);
    EXPECT_TRUE(!blocked && blocked.error().message.starts_with("Local\\Tunelark.SingleInstance: "))
        << (blocked ? "acquired" : blocked.error().message);
}
