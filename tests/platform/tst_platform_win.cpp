// The Win32 platform layer and the emulator control with the Win32 stand-ins,
// which sit next to this program.

#include "app/singleinstance.h"
#include "emulator/emulator.h"
#include "platform/platform_win.h"

#include "finishtask_win.h"
#include "journal.h"
#include "scopedenv.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace std::chrono_literals;

// The control starts the emulator minimized and ends it; each client gets its
// command line as built.
TEST(WinPlatform, EmulatorControlHandsOverWholeCommandLinesAndEndsItsEmulator)
{
    TempDir dir;
    ScopedEnv journal("HOOT_STANDIN_JOURNAL", dir.file("journal.jsonl"));
    WinPlatform platform;
    const Result<ProcessId> missing = platform.startProgram("tunelark-no-such-program code 1", ShowStyle::Hidden);
    EXPECT_EQ(missing ? "" : missing.error().detail, "tunelark-no-such-program: not found");
    // CreateProcessW takes 32,766 characters and the closing null; a longer order would reach the client cut.
    for (const auto &[length, fits] : {std::pair{32766, true}, {32767, false}, {40000, false}})
        EXPECT_EQ(platform.commandLineFits(std::string(length, 'x')), fits) << length;
    const Settings settings;
    WinMainLoop loop(platform);
    Emulator control(platform, loop, settings);
    ASSERT_TRUE(finishTask(loop, control.attach()));
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
        ASSERT_TRUE(finishTask(loop, control.play(store, index)));
    control.release();
    EXPECT_TRUE(platform.hasExited(started));
    const std::vector<std::vector<std::string>> lines = {
        {"hootclient override"}, {R"(hootclient title="ゲーム音楽 第二集" major="メジャー" sub="a"b")"},
        {"hootclient code 3"},   {R"(hootclient title="Foo Bar" major="abc" sub="1")"},
        {"hootclient code 1234"}, {"hootclient code 1234"}};
    EXPECT_EQ(readJournal(dir.file("journal.jsonl"), "commandLine"), lines);
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
    EXPECT_TRUE(!blocked && blocked.error().detail.starts_with("Local\\Tunelark.SingleInstance: "))
        << (blocked ? "acquired" : blocked.error().detail);
}
