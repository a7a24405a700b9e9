#include "emulator/emulator.h"

#include "fakeplatform.h"

#include <gtest/gtest.h>

using Lines = std::vector<std::string>;
using Script = std::function<void(FakePlatform &)>;

static Track track(std::string title, std::string major, std::string sub, std::int64_t code)
{
    return {{}, std::move(title), std::move(major), std::move(sub), TrackCode::fromRaw(code * TrackCode::kScale), {}};
}

static const Track kFoo = track("Foo", "abc", "1", 18);
static const Track kRestart = track("restart", "", "", 0); // the user starts a new emulator here
static const std::string kSelect = R"(hootclient title="Foo" major="abc" sub="1")";
static const std::string kStartSelect = "start [" + kSelect + "] hidden";
static const std::string kHoot = "start [hoot.exe] minimized", kOverride = "start [hootclient override] hidden";
static const std::string kPause = "pause 300 paintOnly", kCode18 = "start [hootclient code 18] hidden";
static std::string hung(const std::string &order)
{
    return "hootclient が 30 秒以内に終了しなかったため、終了させました。\n（命令: " + order + "）";
}

// Attach, the plays, release twice: the calls of the kinds asked for (of the
// plays alone when there are any), the messages and what went to stderr.
struct Case
{
    const char *name;
    Script script; // before the attach
    std::vector<Track> tracks;
    Lines expected;
    Lines errors = {};
    std::string noted = {};
    Script event = {}; // before the first play
    std::vector<std::string_view> kinds = {"start", "pause", "terminate"};
};

TEST(Emulator, OrdersGoOutInTheirOrderAndFaultsAreReported)
{
    const Script present = [](FakePlatform &p) { p.windowPresentFromStart(); };
    const Case cases[] = {
        {"found running: left running", present, {}, {kOverride, kPause}},
        {"started, window on the second look: looks pump everything, pauses hold input back, ended at exit",
         [](FakePlatform &p) { p.windowAfterLooks(2); }, {},
         {"findWindow: NotFound", kHoot, "pump all", "findWindow: NotFound", "hasExited [hoot.exe]: no",
          "pause 50 all", "pump all", "findWindow: Found", "pause 700 paintOnly", kOverride,
          "wait [hootclient override] all", kPause, "terminate [hoot.exe]"}, {}, {}, {}, {}},
        {"ends before its window once: started again", [](FakePlatform &p) { p.emulatorDiesBeforeWindow(1); }, {},
         {kHoot, kHoot, "pause 700 paintOnly", kOverride, kPause, "terminate [hoot.exe]"}},
        {"pid 0 is not ended", [](FakePlatform &p) { p.nextPid(0); }, {},
         {kHoot, "pause 700 paintOnly", kOverride, kPause}},
        {"no display", [](FakePlatform &p) { p.noDisplay(); }, {}, {},
         {"X ディスプレイに接続できないため、hoot のウィンドウを探せません。"}},
        {"hoot.exe missing", [](FakePlatform &p) { p.failStarts("hoot.exe", "not found"); }, {},
         {"start [hoot.exe] minimized: not found"}, {"hoot.exe を起動できません（not found）。"}},
        {"window never appears", [](FakePlatform &p) { p.windowAfterLooks(0); }, {},
         {kHoot, "terminate [hoot.exe]"}, {"hoot.exe のウィンドウが 60 秒以内に現れませんでした。"}, {}, {},
         {"start", "terminate"}},
        {"ends before its window twice", [](FakePlatform &p) { p.emulatorDiesBeforeWindow(); }, {},
         {kHoot, kHoot}, {"hoot.exe がウィンドウを開く前に終了しました。"}},
        {"client missing after the start: the emulator is still ended",
         [](FakePlatform &p) { p.failStarts("hootclient", "not found"); }, {},
         {kHoot, "pause 700 paintOnly", "start [hootclient override] hidden: not found", "terminate [hoot.exe]"},
         {"hootclient を起動できません（not found）。"}},
        {"override hangs", [](FakePlatform &p) { p.windowPresentFromStart(), p.hangs("hootclient override"); }, {},
         {kOverride, "terminate [hootclient override]"}, {hung("hootclient override")}},
        {"no game: no selection; a hex code goes out decimal", present, {track("", "", "", 0x12)}, {kCode18}},
        {"same game: one selection; same code: played again", present, {kFoo, kFoo, track("Foo", "abc", "1", 19)},
         {kStartSelect, kPause, kCode18, kCode18, "start [hootclient code 19] hidden"}},
        {"title case, major, sub each select again, and back", present,
         {track("Foo", "abc", "1", 1), track("FOO", "abc", "1", 2), track("FOO", "x", "1", 3),
          track("FOO", "x", "2", 4), track("Foo", "abc", "1", 5)},
         {kStartSelect, kPause, "start [hootclient code 1] hidden",
          R"(start [hootclient title="FOO" major="abc" sub="1"] hidden)", kPause, "start [hootclient code 2] hidden",
          R"(start [hootclient title="FOO" major="x" sub="1"] hidden)", kPause, "start [hootclient code 3] hidden",
          R"(start [hootclient title="FOO" major="x" sub="2"] hidden)", kPause, "start [hootclient code 4] hidden",
          kStartSelect, kPause, "start [hootclient code 5] hidden"}},
        {"values go out unescaped", present, {track("Foo Bar", "ゲーム", "a\"b", 7)},
         {R"(start [hootclient title="Foo Bar" major="ゲーム" sub="a"b"] hidden)", kPause,
          "start [hootclient code 7] hidden"}},
        {"a new emulator window gets the override, then the selection", present, {kFoo, kRestart, kFoo},
         {kStartSelect, kPause, kCode18, kOverride, kPause, kStartSelect, kPause, kCode18}},
        {"a failed override goes out again before the next play",
         [](FakePlatform &p) { p.windowPresentFromStart(), p.exitCode("hootclient override", 3); }, {kFoo},
         {kOverride, kPause, kStartSelect, kPause, kCode18}, {},
         "hootclient exited with code 3: hootclient override\nhootclient exited with code 3: hootclient override\n"},
        {"a failed selection is noted, playing goes on, and it goes out again",
         [](FakePlatform &p) { p.windowPresentFromStart(), p.exitCode(kSelect, 3); }, {kFoo, kFoo},
         {kStartSelect, kPause, kCode18, kStartSelect, kPause, kCode18}, {},
         "hootclient exited with code 3: " + kSelect + "\nhootclient exited with code 3: " + kSelect + "\n"},
        {"a failing client with the emulator gone is reported",
         [](FakePlatform &p) { p.windowPresentFromStart(), p.exitCode(kSelect, 3); }, {kFoo}, {kStartSelect},
         {"hoot のウィンドウが見つかりません。エミュレータが終了したようです。\n（命令: " + kSelect + "）"},
         "hootclient exited with code 3: " + kSelect + "\n", [](FakePlatform &p) { p.emulatorVanishes(); }},
        {"client missing while playing", present, {kFoo}, {"start [" + kSelect + "] hidden: not found"},
         {"hootclient を起動できません（not found）。"}, {},
         [](FakePlatform &p) { p.failStarts("hootclient", "not found"); }},
        {"a hung selection is not remembered", [](FakePlatform &p) { p.windowPresentFromStart(), p.hangs(kSelect); },
         {kFoo, kFoo}, {kStartSelect, "terminate [" + kSelect + "]", kStartSelect, "terminate [" + kSelect + "]"},
         {hung(kSelect), hung(kSelect)}},
        {"a hung play keeps the selection",
         [](FakePlatform &p) { p.windowPresentFromStart(), p.hangs("hootclient code 18"); },
         {kFoo, track("Foo", "abc", "1", 19)},
         {kStartSelect, kPause, kCode18, "terminate [hootclient code 18]", "start [hootclient code 19] hidden"},
         {hung("hootclient code 18")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform platform;
        Settings settings;
        settings.emulatorStartWait = 700;
        settings.driverStartWait = 300;
        Emulator control{platform, settings, platform.pumps()};
        c.script(platform);
        testing::internal::CaptureStderr();
        Lines errors;
        const Result<void> attached = control.attach();
        if (!attached)
            errors.push_back(attached.error().message);
        else if (!c.tracks.empty())
            platform.clearCalls();
        if (c.event)
            c.event(platform);
        TrackList store;
        for (const Track &record : c.tracks)
            store.addRecord(record);
        for (std::int32_t index = 0; attached && index < store.count(); ++index) {
            if (c.tracks[index] == kRestart)
                platform.emulatorRestartedByUser();
            else if (Result<void> played = control.play(store, index); !played)
                errors.push_back(played.error().message);
        }
        control.release();
        control.release();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.noted);
        EXPECT_EQ(errors, c.errors);
        EXPECT_EQ(platform.calls(c.kinds), c.expected);
    }
}
