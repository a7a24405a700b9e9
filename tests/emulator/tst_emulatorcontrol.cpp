#include "emulator/emulator.h"

#include "fakeplatform.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

static Track track(std::string title, std::string major, std::string sub, std::int64_t code)
{
    return {{}, std::move(title), std::move(major), std::move(sub), TrackCode::fromRaw(code * TrackCode::kScale), {}};
}

static const Track kRestart = track("restart", "", "", 0); // the user starts a new emulator here
static const Track kRestartSameId = track("same id", "", "", 0); // and its window gets the old one's id
static const Track kFoo = track("Foo", "abc", "1", 18);
static const std::string kSelection = R"(hootclient title="Foo" major="abc" sub="1")", kSelect = kSelection;
static const std::string kCode18 = "hootclient code 18", kOverride = "hootclient override";
static const std::string kHoot = "hoot.exe (minimized)", kPause = "wait 300", kLimit = "wait 30000";

// Runs the task on the fake's loop to its end.
template <typename T>
static T finish(FakePlatform &platform, Task<T> task)
{
    std::optional<T> value;
    task.start([&](T result) { value = std::move(result); });
    EXPECT_TRUE(platform.runUntil([&] { return value.has_value(); })) << "the task waits for nothing";
    return std::move(*value);
}
static const std::string kHung = "hootclient が 30 秒以内に終了しなかったため、終了させました。\n（命令: ";

// Attach, the plays, release twice: the calls (of the plays alone when there are any) and the messages. The
// fault table's test has hoot.exe missing, hoot.exe ending early, a client hanging and the emulator gone.
TEST(Emulator, OrdersGoOutInTheirOrderAndFaultsAreReported)
{
    const auto exits = [](const std::string &line, int code) {
        return [=](FakePlatform &p) { p.openWindow(), p.exitCodes[line] = code; };
    };
    const auto present = [](FakePlatform &p) { p.openWindow(); };
    const struct
    {
        const char *name;
        std::function<void(FakePlatform &)> script; // before the attach
        std::vector<Track> tracks;
        std::vector<std::string> expected, errors = {};
    } cases[] = {
        {"found running: left running", present, {}, {kOverride, kPause}},
        {"ends before its window once, started again; polled, paused, ended at exit",
         [](FakePlatform &p) { p.deaths = 1, p.looksToWindow = 2; }, {},
         {kHoot, kHoot, "wait 250", "wait 700", kOverride, kPause, "terminate hoot.exe"}},
        {"window never appears: ended", [](FakePlatform &p) { p.looksToWindow = 0; }, {},
         {kHoot, "wait 250", "wait 250", "wait 250", "wait 250", "terminate hoot.exe"},
         {"hoot.exe のウィンドウが 1 秒以内に現れませんでした。"}},
        {"no display", [](FakePlatform &p) { p.noDisplay = true; }, {}, {},
         {"X ディスプレイに接続できないため、hoot のウィンドウを探せません。"}},
        {"client missing after the start: still ended", [](FakePlatform &p) { p.failures["hootclient"] = "gone"; }, {},
         {kHoot, "wait 700", "hootclient override: gone", "terminate hoot.exe"},
         {"hootclient を起動できません。"}},
        {"a selection goes out as stored when title (in any case), major or sub differ, and after a new window's "
         "override (also one with the old window's id); no game, no selection; each code goes out",
         present,
         {track("", "", "", 18), track("Foo Bar", "ゲーム", "a\"b", 7), kFoo, kFoo, track("FOO", "abc", "1", 2),
          track("FOO", "x", "1", 3), track("FOO", "x", "2", 4), kFoo, kRestart, kFoo, kRestartSameId, kFoo},
         {kCode18, R"(hootclient title="Foo Bar" major="ゲーム" sub="a"b")", kPause, "hootclient code 7", kSelect,
          kPause, kCode18, kCode18, R"(hootclient title="FOO" major="abc" sub="1")", kPause, "hootclient code 2",
          R"(hootclient title="FOO" major="x" sub="1")", kPause, "hootclient code 3",
          R"(hootclient title="FOO" major="x" sub="2")", kPause, "hootclient code 4", kSelect, kPause, kCode18,
          kOverride, kPause, kSelect, kPause, kCode18, kOverride, kPause, kSelect, kPause, kCode18}},
        {"an override whose client exits non-zero was handed over: not sent again", exits("hootclient override", 3),
         {kFoo}, {kSelect, kPause, kCode18}},
        {"a selection whose client exits non-zero was handed over: not sent again", exits(kSelection, 3),
         {kFoo, kFoo}, {kSelect, kPause, kCode18, kCode18}},
        {"a hung selection is not remembered", exits(kSelection, FakePlatform::kHangs), {kFoo, kFoo},
         {kSelect, kLimit, "terminate " + kSelection, kSelect, kLimit, "terminate " + kSelection},
         {kHung + kSelection + "）", kHung + kSelection + "）"}},
        {"a hung play keeps the selection", exits("hootclient code 18", FakePlatform::kHangs),
         {kFoo, track("Foo", "abc", "1", 19)},
         {kSelect, kPause, kCode18, kLimit, "terminate hootclient code 18", "hootclient code 19"},
         {kHung + "hootclient code 18）"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        FakePlatform platform;
        const Settings settings{{}, 0, 700, 300, {}};
        Emulator control{platform, platform, settings, {1s, 30s, 250ms}};
        c.script(platform);
        std::vector<std::string> errors;
        const Result<void> attached = finish(platform, control.attach());
        if (!attached)
            errors.push_back(attached.error().text);
        else if (!c.tracks.empty())
            platform.log.clear();
        TrackList store;
        for (const Track &record : c.tracks)
            store.addRecord(record);
        for (std::int32_t index = 0; attached && index < store.count(); ++index) {
            if (c.tracks[index] == kRestart)
                platform.openWindow();
            else if (c.tracks[index] == kRestartSameId)
                platform.reopenWithTheSameId();
            else if (Result<void> played = finish(platform, control.play(store, index)); !played)
                errors.push_back(played.error().text);
        }
        control.release();
        control.release();
        EXPECT_EQ(errors, c.errors);
        EXPECT_EQ(platform.log, c.expected);
    }
}

// A coroutine abandoned while it waits (its task destroyed) takes back what it
// asked of the loop: nothing is delivered to it afterwards.
TEST(Emulator, AnAbandonedWaitLeavesNothingBehind)
{
    FakePlatform platform;
    const auto pauseThenRun = [&]() -> Task<int> {
        co_await Pause(platform, 500ms);
        co_await ProcessEnd(platform, platform, platform.startProgram("hootclient code 1", ShowStyle::Hidden).value(),
                            30s);
        co_return 1;
    };
    for (const auto abandonAfter : {100ms, 550ms}) { // in the pause, in the client run of 80 ms
        std::optional<Task<int>> task{pauseThenRun()};
        task->start([](int) { ADD_FAILURE() << "an abandoned task ended"; });
        platform.advance(abandonAfter);
        task.reset();
        platform.log.clear();
        platform.advance(60s);
        EXPECT_TRUE(platform.log.empty()) << abandonAfter.count() << " ms: " << platform.log.front();
    }
}
