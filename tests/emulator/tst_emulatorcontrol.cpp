#include "emulator/emulator.h"

#include "fakeplatform.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

using Lines = std::vector<std::string>;
using Script = std::function<void(FakePlatform &)>;

static constexpr const char *kOverrideStart = "start [hootclient override] hidden";
static constexpr const char *kOverrideWait = "wait [hootclient override] all";
static constexpr const char *kHootStart = "start [hoot.exe] minimized";

// Distinct wait times, so the log tells the two pauses apart.
static Settings testSettings()
{
    Settings settings;
    settings.emulatorStartWait = 700;
    settings.driverStartWait = 300;
    return settings;
}

static Track track(std::string title, std::string major, std::string sub, std::int64_t code)
{
    Track record;
    record.gameTitle = std::move(title);
    record.major = std::move(major);
    record.sub = std::move(sub);
    record.code = TrackCode::fromRaw(code * TrackCode::kScale);
    return record;
}

struct Rig
{
    FakePlatform platform;
    Settings settings = testSettings();
    Emulator control{platform, settings, platform.pumps()};
};

// --- attach and release ---

struct AttachCase
{
    const char *name;
    Script script;
    Lines expected; // start, pause and terminate calls, release included
    ProcessId hootProcess;
};

static void PrintTo(const AttachCase &c, std::ostream *os)
{
    *os << c.name;
}

class Attach : public testing::TestWithParam<AttachCase>
{
};

TEST_P(Attach, LaunchesOnlyWhenNoWindowAndEndsOnlyWhatItLaunched)
{
    const AttachCase &c = GetParam();
    Rig rig;
    c.script(rig.platform);

    ASSERT_TRUE(rig.control.attach());
    EXPECT_EQ(rig.control.state().startedProcess, c.hootProcess);
    rig.control.release();
    rig.control.release(); // a second end leaves everything alone

    EXPECT_EQ(rig.platform.calls({"start", "pause", "terminate"}), c.expected);
    EXPECT_EQ(rig.control.state().startedProcess, -1);
}

INSTANTIATE_TEST_SUITE_P(
    Emulator, Attach,
    testing::Values(
        AttachCase{"found_running_is_left_running",
                   [](FakePlatform &p) { p.windowPresentFromStart(); },
                   {kOverrideStart, "pause 300 paintOnly"},
                   -1},
        AttachCase{"launched_window_on_first_look",
                   [](FakePlatform &) {},
                   {kHootStart, "pause 700 paintOnly", kOverrideStart, "pause 300 paintOnly", "terminate [hoot.exe]"},
                   100},
        AttachCase{"launched_window_after_three_looks",
                   [](FakePlatform &p) { p.windowAfterLooks(3); },
                   {kHootStart, "pause 50 all", "pause 50 all", "pause 700 paintOnly", kOverrideStart,
                    "pause 300 paintOnly", "terminate [hoot.exe]"},
                   100},
        AttachCase{"launched_dies_once_then_restarted",
                   [](FakePlatform &p) { p.emulatorDiesBeforeWindow(1); },
                   {kHootStart, kHootStart, "pause 700 paintOnly", kOverrideStart, "pause 300 paintOnly",
                    "terminate [hoot.exe]"},
                   101},
        AttachCase{"launched_with_pid_zero_is_not_ended",
                   [](FakePlatform &p) { p.nextPid(0); },
                   {kHootStart, "pause 700 paintOnly", kOverrideStart, "pause 300 paintOnly"},
                   0}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Emulator, WindowLooksPumpEverythingAndPausesHoldInputBack)
{
    Rig rig;
    rig.platform.windowAfterLooks(2);

    ASSERT_TRUE(rig.control.attach());

    const Lines expected{"findWindow: NotFound", kHootStart, "pump all", "findWindow: NotFound",
                         "hasExited [hoot.exe]: no", "pause 50 all", "pump all", "findWindow: Found",
                         "pause 700 paintOnly", kOverrideStart, kOverrideWait, "pause 300 paintOnly"};
    EXPECT_EQ(rig.platform.calls(), expected);
}

struct AttachFailureCase
{
    const char *name;
    Script script;
    std::string message;
    Lines expected; // start and terminate calls
    ProcessId hootProcess; // what release is left to end
};

static void PrintTo(const AttachFailureCase &c, std::ostream *os)
{
    *os << c.name;
}

class AttachFailure : public testing::TestWithParam<AttachFailureCase>
{
};

TEST_P(AttachFailure, ReportsWhatHappened)
{
    const AttachFailureCase &c = GetParam();
    Rig rig;
    c.script(rig.platform);

    const Result<void> result = rig.control.attach();

    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().message, c.message);
    EXPECT_EQ(rig.platform.calls({"start", "terminate"}), c.expected);
    EXPECT_EQ(rig.control.state().startedProcess, c.hootProcess);
}

INSTANTIATE_TEST_SUITE_P(
    Emulator, AttachFailure,
    testing::Values(
        AttachFailureCase{"no_display",
                          [](FakePlatform &p) { p.noDisplay(); },
                          "X ディスプレイに接続できないため、hoot のウィンドウを探せません。",
                          {},
                          -1},
        AttachFailureCase{"hoot_not_found",
                          [](FakePlatform &p) { p.failStarts("hoot.exe", "not found"); },
                          "hoot.exe を起動できません（not found）。",
                          {"start [hoot.exe] minimized: not found"},
                          -1},
        AttachFailureCase{"window_never_appears",
                          [](FakePlatform &p) { p.windowAfterLooks(0); },
                          "hoot.exe のウィンドウが 60 秒以内に現れませんでした。",
                          {kHootStart, "terminate [hoot.exe]"},
                          -1},
        AttachFailureCase{"dies_before_window_twice",
                          [](FakePlatform &p) { p.emulatorDiesBeforeWindow(); },
                          "hoot.exe がウィンドウを開く前に終了しました。",
                          {kHootStart, kHootStart},
                          -1},
        AttachFailureCase{"client_not_found_after_launch",
                          [](FakePlatform &p) { p.failStarts("hootclient", "not found"); },
                          "hootclient を起動できません（not found）。",
                          {kHootStart, "start [hootclient override] hidden: not found"},
                          100},
        AttachFailureCase{"override_hangs",
                          [](FakePlatform &p) {
                              p.windowPresentFromStart();
                              p.hangs("hootclient override");
                          },
                          "hootclient が 30 秒以内に終了しなかったため、終了させました。\n（命令: hootclient override）",
                          {kOverrideStart, "terminate [hootclient override]"},
                          -1}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Emulator, WindowLimitCountsFromTheFirstStart)
{
    Rig rig;
    rig.platform.emulatorDiesBeforeWindow(1);
    rig.platform.windowAfterLooks(0);

    const Result<void> result = rig.control.attach();

    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().message, "hoot.exe のウィンドウが 60 秒以内に現れませんでした。");
    EXPECT_GE(rig.platform.now(), std::chrono::milliseconds(60000));
    EXPECT_LT(rig.platform.now(), std::chrono::milliseconds(60050));
}

// --- play ---

struct PlayCase
{
    const char *name;
    std::vector<Track> tracks; // played one after the other
    Lines expected;                // start and pause calls after the attach
    int userRestartsBefore = -1;   // the track before which the user starts a new emulator
    Script script = {};            // before the attach
};

static void PrintTo(const PlayCase &c, std::ostream *os)
{
    *os << c.name;
}

class Play : public testing::TestWithParam<PlayCase>
{
};

TEST_P(Play, SelectsTheGameOnlyWhenItChanged)
{
    const PlayCase &c = GetParam();
    Rig rig;
    rig.platform.windowPresentFromStart();
    if (c.script)
        c.script(rig.platform);
    ASSERT_TRUE(rig.control.attach());
    rig.platform.clearCalls();
    TrackList store;
    for (const Track &record : c.tracks)
        store.addRecord(record);

    for (std::int32_t index = 0; index < store.count(); ++index) {
        if (index == c.userRestartsBefore)
            rig.platform.emulatorRestartedByUser();
        ASSERT_TRUE(rig.control.play(store, index));
    }

    EXPECT_EQ(rig.platform.calls({"start", "pause"}), c.expected);
}

static const char *kFooSelect = "start [hootclient title=\"Foo\" major=\"abc\" sub=\"1\"] hidden";

INSTANTIATE_TEST_SUITE_P(
    Emulator, Play,
    testing::Values(
        PlayCase{"first_track_without_game_gets_no_selection",
                 {track("", "", "", 5)},
                 {"start [hootclient code 5] hidden"}},
        PlayCase{"first_track_selects_its_game",
                 {track("Foo", "abc", "1", 18)},
                 {kFooSelect, "pause 300 paintOnly", "start [hootclient code 18] hidden"}},
        PlayCase{"same_game_twice_selects_once",
                 {track("Foo", "abc", "1", 18), track("Foo", "abc", "1", 19)},
                 {kFooSelect, "pause 300 paintOnly", "start [hootclient code 18] hidden",
                  "start [hootclient code 19] hidden"}},
        PlayCase{"same_code_again_is_played_again",
                 {track("Foo", "abc", "1", 18), track("Foo", "abc", "1", 18)},
                 {kFooSelect, "pause 300 paintOnly", "start [hootclient code 18] hidden",
                  "start [hootclient code 18] hidden"}},
        PlayCase{"title_differing_in_case_selects_again",
                 {track("Foo", "abc", "1", 1), track("FOO", "abc", "1", 2)},
                 {kFooSelect, "pause 300 paintOnly", "start [hootclient code 1] hidden",
                  "start [hootclient title=\"FOO\" major=\"abc\" sub=\"1\"] hidden", "pause 300 paintOnly",
                  "start [hootclient code 2] hidden"}},
        PlayCase{"sub_alone_differing_selects_again",
                 {track("Foo", "abc", "1", 1), track("Foo", "abc", "2", 2)},
                 {kFooSelect, "pause 300 paintOnly", "start [hootclient code 1] hidden",
                  "start [hootclient title=\"Foo\" major=\"abc\" sub=\"2\"] hidden", "pause 300 paintOnly",
                  "start [hootclient code 2] hidden"}},
        PlayCase{"a_b_a_selects_before_every_play",
                 {track("Foo", "abc", "1", 1), track("Bar", "abc", "1", 2), track("Foo", "abc", "1", 3)},
                 {kFooSelect, "pause 300 paintOnly", "start [hootclient code 1] hidden",
                  "start [hootclient title=\"Bar\" major=\"abc\" sub=\"1\"] hidden", "pause 300 paintOnly",
                  "start [hootclient code 2] hidden", kFooSelect, "pause 300 paintOnly",
                  "start [hootclient code 3] hidden"}},
        PlayCase{"code_read_as_hex_goes_out_decimal",
                 {track("", "", "", 0x12)},
                 {"start [hootclient code 18] hidden"}},
        PlayCase{"new_emulator_window_gets_override_then_selection",
                 {track("Foo", "abc", "1", 18), track("Foo", "abc", "1", 19)},
                 {kFooSelect, "pause 300 paintOnly", "start [hootclient code 18] hidden", kOverrideStart,
                  "pause 300 paintOnly", kFooSelect, "pause 300 paintOnly", "start [hootclient code 19] hidden"},
                 1},
        PlayCase{"failed_override_is_sent_again_before_the_next_play",
                 {track("", "", "", 5)},
                 {kOverrideStart, "pause 300 paintOnly", "start [hootclient code 5] hidden"},
                 -1,
                 [](FakePlatform &p) { p.exitCode("hootclient override", 3); }},
        PlayCase{"values_go_out_unescaped",
                 {track("Foo Bar", "ゲーム", "a\"b", 7)},
                 {"start [hootclient title=\"Foo Bar\" major=\"ゲーム\" sub=\"a\"b\"] hidden",
                  "pause 300 paintOnly", "start [hootclient code 7] hidden"}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Emulator, ClientRunsAreWaitedForWithEveryEventPumped)
{
    Rig rig;
    rig.platform.windowPresentFromStart();
    ASSERT_TRUE(rig.control.attach());
    rig.platform.clearCalls();
    TrackList store;
    store.addRecord(track("Foo", "abc", "1", 18));

    ASSERT_TRUE(rig.control.play(store, 0));

    const Lines expected{"findWindow: Found", kFooSelect, "wait [hootclient title=\"Foo\" major=\"abc\" sub=\"1\"] all",
                         "pause 300 paintOnly", "start [hootclient code 18] hidden",
                         "wait [hootclient code 18] all"};
    EXPECT_EQ(rig.platform.calls(), expected);
}

struct PlayFailureCase
{
    const char *name;
    Script script;
    std::string message;
    Lines expected;          // start and terminate calls of the failing play
    bool selectionRemembered; // so the next play of the game skips the selection
};

static void PrintTo(const PlayFailureCase &c, std::ostream *os)
{
    *os << c.name;
}

class PlayFailure : public testing::TestWithParam<PlayFailureCase>
{
};

TEST_P(PlayFailure, StopsAtOnceAndRemembersOnlyACompletedSelection)
{
    const PlayFailureCase &c = GetParam();
    Rig rig;
    rig.platform.windowPresentFromStart();
    ASSERT_TRUE(rig.control.attach());
    rig.platform.clearCalls();
    c.script(rig.platform);
    TrackList store;
    store.addRecord(track("Foo", "abc", "1", 18));

    const Result<void> result = rig.control.play(store, 0);

    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().message, c.message);
    EXPECT_EQ(rig.platform.calls({"start", "terminate"}), c.expected);
    EXPECT_EQ(rig.control.state().lastTitle, c.selectionRemembered ? "Foo" : "");
}

INSTANTIATE_TEST_SUITE_P(
    Emulator, PlayFailure,
    testing::Values(
        PlayFailureCase{"client_not_found",
                        [](FakePlatform &p) { p.failStarts("hootclient", "not found"); },
                        "hootclient を起動できません（not found）。",
                        {"start [hootclient title=\"Foo\" major=\"abc\" sub=\"1\"] hidden: not found"},
                        false},
        PlayFailureCase{"selection_hangs",
                        [](FakePlatform &p) { p.hangs("hootclient title=\"Foo\" major=\"abc\" sub=\"1\""); },
                        "hootclient が 30 秒以内に終了しなかったため、終了させました。\n"
                        "（命令: hootclient title=\"Foo\" major=\"abc\" sub=\"1\"）",
                        {kFooSelect, "terminate [hootclient title=\"Foo\" major=\"abc\" sub=\"1\"]"},
                        false},
        PlayFailureCase{"play_hangs",
                        [](FakePlatform &p) { p.hangs("hootclient code 18"); },
                        "hootclient が 30 秒以内に終了しなかったため、終了させました。\n（命令: hootclient code 18）",
                        {kFooSelect, "start [hootclient code 18] hidden", "terminate [hootclient code 18]"},
                        true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Emulator, FailingClientIsNotedAndPlaybackGoesOn)
{
    Rig rig;
    rig.platform.windowPresentFromStart();
    const std::string select = "hootclient title=\"Foo\" major=\"abc\" sub=\"1\"";
    rig.platform.exitCode(select, 3);
    ASSERT_TRUE(rig.control.attach());
    TrackList store;
    store.addRecord(track("Foo", "abc", "1", 18));

    testing::internal::CaptureStderr();
    const Result<void> result = rig.control.play(store, 0);
    EXPECT_TRUE(rig.control.play(store, 0));
    const std::string stderrText = testing::internal::GetCapturedStderr();

    EXPECT_TRUE(result);
    const std::string note = "hootclient exited with code 3: " + select + "\n";
    EXPECT_EQ(stderrText, note + note);
    EXPECT_EQ(rig.control.state().failedClientRuns, 2);
    EXPECT_EQ(rig.control.state().lastClientExitCode, 3);
    EXPECT_EQ(rig.platform.clientOrders(),
              (Lines{"hootclient override", select, "hootclient code 18", select, "hootclient code 18"}))
        << "a failed selection goes out again with the next play";
}

TEST(Emulator, FailingClientWithTheEmulatorGoneIsReported)
{
    Rig rig;
    rig.platform.windowPresentFromStart();
    ASSERT_TRUE(rig.control.attach());
    TrackList store;
    store.addRecord(track("Foo", "abc", "1", 18));
    rig.platform.emulatorVanishes();
    rig.platform.exitCode("hootclient title=\"Foo\" major=\"abc\" sub=\"1\"", 3);

    testing::internal::CaptureStderr();
    const Result<void> result = rig.control.play(store, 0);
    testing::internal::GetCapturedStderr();

    ASSERT_FALSE(result);
    EXPECT_NE(result.error().message.find("hoot のウィンドウが見つかりません"), std::string::npos);
    EXPECT_EQ(rig.platform.clientOrders().back(), "hootclient title=\"Foo\" major=\"abc\" sub=\"1\"")
        << "no further order once the emulator is gone";
}
