#include "emulator/emulator.h"

#include "fakeplatform.h"

#include <gtest/gtest.h>

using Lines = std::vector<std::string>;
using Script = std::function<void(FakePlatform &)>;

static Track track(std::string title, std::string major, std::string sub, std::int64_t code)
{
    return {{}, std::move(title), std::move(major), std::move(sub), TrackCode::fromRaw(code * TrackCode::kScale), {}};
}

// Between plays the user starts a new emulator, or the emulator goes.
static const Track kRestart = track("restart", "", "", 0), kGone = track("gone", "", "", 0);
static const Track kFoo = track("Foo", "abc", "1", 18);
static const std::string kSelect = R"(hootclient title="Foo" major="abc" sub="1")", kCode18 = "hootclient code 18";
static const std::string kHoot = "hoot.exe (minimized)", kOverride = "hootclient override";
static const std::string kPause = "pause 300 paintOnly", kExit3 = "hootclient exited with code 3: ";
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
    std::vector<std::string_view> kinds = {"hoot.exe", "hootclient", "pause", "terminate"};
};

TEST(Emulator, OrdersGoOutInTheirOrderAndFaultsAreReported)
{
    const Script present = [](FakePlatform &p) { p.openWindow(); };
    const auto exits = [](const std::string &line, int code) {
        return [=](FakePlatform &p) { p.openWindow(), p.exitCodes[line] = code; };
    };
    const Case cases[] = {
        {"found running: left running", present, {}, {kOverride, kPause}},
        {"started, window on the second look: looks pump everything, pauses hold input back, ended at exit",
         [](FakePlatform &p) { p.looksToWindow = 2; }, {},
         {kHoot, "pump all", "pause 50 all", "pump all", "pause 700 paintOnly", kOverride,
          "wait " + kOverride + ": all", kPause, "terminate hoot.exe"}, {}, {}, {}},
        {"ends before its window once: started again", [](FakePlatform &p) { p.deaths = 1; }, {},
         {kHoot, kHoot, "pause 700 paintOnly", kOverride, kPause, "terminate hoot.exe"}},
        {"pid 0 is not ended", [](FakePlatform &p) { p.nextPid = 0; }, {},
         {kHoot, "pause 700 paintOnly", kOverride, kPause}},
        {"no display", [](FakePlatform &p) { p.noDisplay = true; }, {}, {},
         {"X ディスプレイに接続できないため、hoot のウィンドウを探せません。"}},
        {"hoot.exe missing", [](FakePlatform &p) { p.failStarts("hoot.exe", "not found"); }, {},
         {kHoot + ": not found"}, {"hoot.exe を起動できません（not found）。"}},
        {"window never appears", [](FakePlatform &p) { p.looksToWindow = 0; }, {}, {kHoot, "terminate hoot.exe"},
         {"hoot.exe のウィンドウが 60 秒以内に現れませんでした。"}, {}, {"hoot.exe", "terminate"}},
        {"ends before its window twice", [](FakePlatform &p) { p.deaths = 2; }, {}, {kHoot, kHoot},
         {"hoot.exe がウィンドウを開く前に終了しました。"}},
        {"client missing after the start: the emulator is still ended",
         [](FakePlatform &p) { p.failStarts("hootclient", "not found"); }, {},
         {kHoot, "pause 700 paintOnly", kOverride + ": not found", "terminate hoot.exe"},
         {"hootclient を起動できません（not found）。"}},
        {"override hangs", exits(kOverride, FakePlatform::kHangs), {}, {kOverride, "terminate " + kOverride},
         {hung(kOverride)}},
        {"no game: no selection", present, {track("", "", "", 18)}, {kCode18}},
        {"a selection goes out as stored when title (in any case), major or sub differ; each code goes out", present,
         {kFoo, kFoo, track("FOO", "abc", "1", 2), track("FOO", "x", "1", 3), track("FOO", "x", "2", 4), kFoo,
          track("Foo Bar", "ゲーム", "a\"b", 7)},
         {kSelect, kPause, kCode18, kCode18, R"(hootclient title="FOO" major="abc" sub="1")", kPause,
          "hootclient code 2", R"(hootclient title="FOO" major="x" sub="1")", kPause, "hootclient code 3",
          R"(hootclient title="FOO" major="x" sub="2")", kPause, "hootclient code 4", kSelect, kPause, kCode18,
          R"(hootclient title="Foo Bar" major="ゲーム" sub="a"b")", kPause, "hootclient code 7"}},
        {"a new emulator window gets the override, then the selection", present, {kFoo, kRestart, kFoo},
         {kSelect, kPause, kCode18, kOverride, kPause, kSelect, kPause, kCode18}},
        {"a failed override goes out again before the next play", exits(kOverride, 3), {kFoo},
         {kOverride, kPause, kSelect, kPause, kCode18}, {}, kExit3 + kOverride + "\n" + kExit3 + kOverride + "\n"},
        {"a failed selection is noted, playing goes on, and it goes out again", exits(kSelect, 3), {kFoo, kFoo},
         {kSelect, kPause, kCode18, kSelect, kPause, kCode18}, {}, kExit3 + kSelect + "\n" + kExit3 + kSelect + "\n"},
        {"a failing client with the emulator gone is reported", exits(kSelect, 3), {kGone, kFoo}, {kSelect},
         {"hoot のウィンドウが見つかりません。エミュレータが終了したようです。\n（命令: " + kSelect + "）"},
         kExit3 + kSelect + "\n"},
        {"a hung selection is not remembered", exits(kSelect, FakePlatform::kHangs), {kFoo, kFoo},
         {kSelect, "terminate " + kSelect, kSelect, "terminate " + kSelect}, {hung(kSelect), hung(kSelect)}},
        {"a hung play keeps the selection", exits(kCode18, FakePlatform::kHangs), {kFoo, track("Foo", "abc", "1", 19)},
         {kSelect, kPause, kCode18, "terminate " + kCode18, "hootclient code 19"}, {hung(kCode18)}},
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
            platform.log.clear();
        TrackList store;
        for (const Track &record : c.tracks)
            store.addRecord(record);
        for (std::int32_t index = 0; attached && index < store.count(); ++index) {
            if (c.tracks[index] == kRestart || c.tracks[index] == kGone)
                c.tracks[index] == kRestart ? platform.openWindow() : void(platform.windowOpen = false);
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
