// The player on a fake window and a fake emulator: ticks and clicks are
// raised by hand, and every test compares the calls the window received, with
// the emulator's play orders written in where the player waited for them.

#include "fakeplatform.h"
#include "fakeview.h"
#include "player/columnwidths.h"
#include "scopedenv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <limits>
#include <memory>
#include <set>
#include <sstream>
#include <utility>

namespace {

// Every byte 10 twips wide and "A" 10.5 unless told otherwise, except texts "=W" and "=W+S": W
// twips wide, with an upper bound S above that.
class FakeMeasure : public TextMeasure
{
public:
    float widthTwips(const std::string &text) override
    {
        if (text == "A")
            return aWidth;
        return text.starts_with('=') ? std::stof(text.substr(1)) : 10.0f * static_cast<float>(text.size());
    }
    float upperBoundTwips(const std::string &text) override
    {
        if (modelGivesUp)
            return std::numeric_limits<float>::infinity();
        const auto plus = text.find('+');
        return widthTwips(text) + (text.starts_with('=') && plus != std::string::npos ? std::stof(text.substr(plus + 1)) : 0.0f);
    }
    bool modelGivesUp = false;
    float aWidth = 10.5f;
};

// One player with its window on a fake emulator, in a folder of its own.
// Tracks are given by their stored times ("" for none); track i is game
// "G<i+1>", music "M<i+1>", code i+1.
struct Rig
{
    Rig(const std::vector<std::string> &times, int defaultPlayTime = 120, const std::vector<std::string> &games = {})
    {
        std::ofstream(dir.file("tl.ini")) << "[config]\nDefaultPlayTime=" << defaultPlayTime
                                          << "\nHootInitWaitTime=0\nDriverInitWaitTime=0\n";
        std::ofstream list(dir.file("tl.lst"));
        for (std::size_t i = 0; i < times.size(); ++i)
            list << times[i] << ",\"" << (i < games.size() ? games[i] : "G" + std::to_string(i + 1))
                 << "\",\"m\",\"s\"," << i + 1 << ",\"M" << i + 1 << "\"\r\n";
        list.close();
        platform.windowPresentFromStart();
        view.onPump = [this] { duringWait(); };
        lifecycle = std::make_unique<ProgramLifecycle>(state, platform, view, eventPumpsOf(view, busy), dir.path());
        player = std::make_unique<Player>(view, state, *lifecycle, busy);
        view.player = player.get();
        view.measure = &measure;
    }

    // The play order the emulator is running, and input armed for that wait.
    void duringWait()
    {
        const auto orders = platform.clientOrders();
        if (!orders.empty() && orders.back().starts_with("hootclient code "))
            view.note("play " + orders.back().substr(16));
        const std::string steps = std::exchange(armed, "");
        run(steps);
    }

    // Steps, separated by blanks: "load", "t" (a tick) or "t90" (90 ticks),
    // "n" next, "s" store time, "r4" activate row 4, "c" close, "L"/"l" loop
    // on/off, "S" shuffle on, "w600" client runs take 600 ms, "|" forget the
    // calls so far, "@x" do x during the next wait for the emulator.
    void run(const std::string &steps)
    {
        std::istringstream in(steps);
        for (std::string step; in >> step;) {
            const bool counted = step.size() > 1 && (std::isdigit(step[1]) || step[1] == '-');
            const int number = counted ? std::stoi(step.substr(1)) : 1;
            if (step == "load")
                loaded = player->load();
            else if (step[0] == 't')
                for (int i = 0; i < number; ++i)
                    player->tick();
            else if (step == "n")
                player->next();
            else if (step == "s")
                player->storeTime();
            else if (step[0] == 'r')
                player->activateRow(number);
            else if (step == "c")
                view.close();
            else if (step == "L" || step == "l")
                view.loop = step == "L";
            else if (step == "S")
                view.shuffle = true;
            else if (step[0] == 'w')
                platform.clientRunTime(std::chrono::milliseconds(number));
            else if (step == "|")
                view.calls.clear();
            else if (step[0] == '@')
                armed += step.substr(1) + " ";
        }
    }

    TempDir dir;
    ScopedEnv runtimeDir{"XDG_RUNTIME_DIR", dir.path()}; // a private instance lock
    FakePlatform platform;
    FakeMeasure measure;
    FakeView view;
    BusyCursor busy{view, [this] { return platform.now(); }};
    PlayerState state;
    std::unique_ptr<ProgramLifecycle> lifecycle;
    std::unique_ptr<Player> player;
    std::string armed;
    bool loaded = false;
};

using Calls = std::vector<std::string>;

TEST(Player, StepsReachTheWindowInOrder)
{
    const std::vector<std::string> three = {"01:30", "", "00:05"};
    const Calls changeTo2 = {"tick off", "play 2", "top 1", "select 1", "show", "titles G2|M2", "time 00:00/00:00",
                             "tick on"};
    struct Case
    {
        const char *name;
        std::vector<std::string> times;
        int defaultPlayTime;
        std::string steps;
        Calls expected;
        std::vector<std::string> games = {};
    };
    const auto then = [](Calls calls, const Calls &more) {
        calls.insert(calls.end(), more.begin(), more.end());
        return calls;
    };
    const Calls changeTo1 = {"tick off", "play 1", "top 0", "select 0", "show", "titles G1|M1", "time 00:00/01:30",
                             "tick on"};
    const Case cases[] = {
        {"load fills and shows the grid before the first order", three, 120, "load",
         {"rows 3", "select 0", "show", "play 1", "top 0", "select 0", "show", "titles G1|M1", "time 00:00/01:30",
          "tick on", "focus window"}},
        {"a stored time of 90 changes on tick 91", three, 120, "load t89 | t t",
         then({"time 01:30/01:30", "time 01:31/01:30"}, changeTo2)},
        {"no stored time plays for the default", {"", ""}, 120, "load t119 | t", {"time 02:00/00:00"}},
        {"no stored time, default 0: the first tick changes", {"", ""}, 0, "load | t",
         {"time 00:01/00:00", "tick off", "play 2", "top 1", "select 1", "show", "titles G2|M2", "time 00:00/00:00",
          "tick on"}},
        {"a negative default changes on the first tick", {"", ""}, -5, "load | t",
         {"time 00:01/00:00", "tick off", "play 2", "top 1", "select 1", "show", "titles G2|M2", "time 00:00/00:00",
          "tick on"}},
        {"next", three, 120, "load t7 | n", changeTo2},
        {"next after the last track wraps to the first", three, 120, "load r2 | n", changeTo1},
        {"one track plays again", {"01:00"}, 120, "load t5 | n",
         {"tick off", "play 1", "top 0", "select 0", "show", "titles G1|M1", "time 00:00/01:00", "tick on"}},
        {"loop keeps the track past its time", three, 120, "load L t130 | t", {"time 02:11/01:30"}},
        {"unchecking loop changes at the next tick", three, 120, "load L t130 l | t",
         then({"time 02:11/01:30"}, changeTo2)},
        {"store time repaints the old row, then moves on", three, 120, "load t42 | s",
         {"tick off", "repaint 0", "play 2", "top 1", "select 1", "show", "titles G2|M2", "time 00:00/00:00",
          "tick on"}},
        {"store time in the first second stores nothing and moves on", three, 120, "load | s", changeTo2},
        {"a store press queued behind a change only moves on", three, 120, "load t42 | @s s",
         {"tick off", "repaint 0", "play 2", "top 1", "select 1", "show", "titles G2|M2", "time 00:00/00:00",
          "tick on", "tick off", "play 3", "top 2", "select 2", "show", "titles G3|M3", "time 00:00/00:05",
          "tick on"}},
        {"next presses queued behind a change make one change", three, 120, "load | @n @n n",
         then(changeTo2, changeTo1)},
        {"a change longer than half a second shows the busy cursor", three, 120, "load w600 | n",
         {"tick off", "busy on", "play 2", "top 1", "select 1", "show", "titles G2|M2", "time 00:00/00:00",
          "busy off", "tick on"}},
        {"a quicker change leaves the cursor alone", three, 120, "load w400 | n", changeTo2},
        {"a giant title is cut for the label", {"01:00"}, 120, "load | n",
         {"tick off", "play 1", "top 0", "select 0", "show", "titles " + std::string(256, 'x') + "|M1",
          "time 00:00/01:00", "tick on"},
         {std::string(300, 'x')}},
        {"closing during start-up waits for it and plays nothing", three, 120, "@c load", {"close", "tick off"}},
        {"a row plays without scrolling; the grid is off meanwhile", three, 120, "load S | r2",
         {"grid off", "tick off", "play 3", "select 2", "show", "titles G3|M3", "time 00:00/00:05", "grid on",
          "focus grid", "tick on"}},
        {"the playing row starts again", three, 120, "load t9 | r0",
         {"grid off", "tick off", "play 1", "select 0", "show", "titles G1|M1", "time 00:00/01:30", "grid on",
          "focus grid", "tick on"}},
        {"no track's row plays nothing; the timer starts afresh", three, 120, "load | r-1 r3", {"tick on"}},
        {"input during a change runs after it, in order", three, 120, "load | @n @r0 n",
         {"tick off", "play 2", "top 1", "select 1", "show", "titles G2|M2", "time 00:00/00:00", "tick on",
          "tick off", "play 3", "top 2", "select 2", "show", "titles G3|M3", "time 00:00/00:05", "tick on",
          "grid off", "tick off", "play 1", "select 0", "show", "titles G1|M1", "time 00:00/01:30", "grid on",
          "focus grid", "tick on"}},
        {"closing during a change waits for its end and drops queued input", three, 120, "load | @c @n n",
         {"tick off", "close", "play 2", "top 1", "select 1", "show", "titles G2|M2", "time 00:00/00:00", "tick on",
          "close", "tick off"}},
        {"an empty list shows the header alone and ignores input", {}, 120, "load n s r0 t3",
         {"rows 0", "show"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(c.times, c.defaultPlayTime, c.games);
        rig.run(c.steps);
        EXPECT_TRUE(rig.loaded);
        EXPECT_EQ(rig.view.calls, c.expected);
    }
}

TEST(Player, StoreTimeKeepsTheCountAndClosingEnds)
{
    struct Case
    {
        const char *name;
        std::string steps;
        int expectedStored;
        bool expectedClosed;
        bool expectedChanged = true;
    };
    const Case cases[] = {
        {"in the first second nothing is stored", "load s", 90, false, false},
        {"while looping", "load L t130 s", 130, false},
        {"closed after a change that waited", "load t42 @c s", 42, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig({"01:30", ""});
        rig.run(c.steps);
        EXPECT_EQ(rig.state.list.tracks[0].playTime, c.expectedStored);
        EXPECT_EQ(rig.state.list.modified, c.expectedChanged);
        EXPECT_EQ(rig.view.closed, c.expectedClosed);
        // Shut-down asks to save the changed list once the window may close.
        const auto asked = std::count(rig.view.calls.begin(), rig.view.calls.end(), "ask 演奏時間情報を記録しますか？");
        EXPECT_EQ(asked, c.expectedClosed ? 1 : 0);
    }
}

TEST(Player, ShuffleDrawsEveryTrackAndMayRepeatOne)
{
    Rig rig(std::vector<std::string>(5, "01:00"));
    rig.run("S load");
    rig.state.random.seed(7);
    std::set<int> drawn;
    for (int i = 0; i < 200; ++i) {
        const int index = rig.player->randomIndex();
        ASSERT_GE(index, 0);
        ASSERT_LT(index, 5);
        drawn.insert(index);
    }
    EXPECT_EQ(drawn.size(), 5u);
    bool repeated = false;
    for (int i = 0; i < 50 && !repeated; ++i) {
        const int before = rig.state.list.current;
        rig.run("n");
        repeated = rig.state.list.current == before;
    }
    EXPECT_TRUE(repeated) << "shuffle may pick the track that is playing";
    EXPECT_EQ(rig.view.label, "00:00/01:00");

    // Next presses queued behind a change make one change that draws once per press.
    rig.state.random.seed(3);
    const std::mt19937 generator = rig.state.random;
    std::vector<std::string> plays, expectedPlays;
    for (int i = 0; i < 3; ++i)
        expectedPlays.push_back("play " + std::to_string(rig.player->randomIndex() + 1));
    rig.state.random = generator;
    rig.run("| @n @n n");
    std::copy_if(rig.view.calls.begin(), rig.view.calls.end(), std::back_inserter(plays),
                 [](const std::string &call) { return call.starts_with("play "); });
    EXPECT_EQ(plays, (std::vector<std::string>{expectedPlays[0], expectedPlays[2]}));

    Rig large(std::vector<std::string>(2000, "01:00"));
    large.run("S load");
    EXPECT_NE(large.state.list.current, 0) << "a shuffled start draws its track (fails once in 2000 runs)";
}

TEST(Playlist, CellsAndShadesFollowTheTracks)
{
    TrackList list;
    for (const int playTime : {1, 0, -5})
        list.addRecord(Track{playTime, "game", "", "", {}, "music"});
    const Playlist playlist(list);
    const RgbColor expectedShades[] = {0xFFFFFF, 0xDDDDDD, 0xDDDDDD};
    for (int track = 0; track < 3; ++track) {
        EXPECT_EQ(playlist.cellText(track, 0), std::to_string(track + 1));
        EXPECT_EQ(playlist.cellText(track, 1), "game");
        EXPECT_EQ(playlist.cellText(track, 2), "music");
        EXPECT_EQ(playlist.shade(track), expectedShades[track]) << track;
    }
    list.tracks[2].musicTitle += std::string(1000, 'x') + "あ";
    EXPECT_EQ(playlist.cellText(2, 2), "music" + std::string(251, 'x')) << "a giant title is cut for its cell";
    EXPECT_EQ(Playlist::alignment(0), CellAlignment::Right);
    EXPECT_EQ(Playlist::alignment(1), CellAlignment::Left);
}

// Column 0 holds "NO" (20 twips) and the numbers, column 2 "MUSIC TITLE" (110)
// and "M<n>"; column 1 "GAME TITLE" (100) and the game titles of each case.
// Every width is that of the widest text plus "A" (10.5), each rounded half to even.
TEST(ColumnWidths, WidestTextPlusAnARoundedHalfToEven)
{
    struct Case
    {
        const char *name;
        int tracks;
        std::vector<std::string> games;
        ColumnWidths expected;
        float aWidth = 10.5f;
    };
    const Case cases[] = {
        {"narrow texts leave the header widths", 2, {"a", "b"}, {30, 110, 120}},
        {"numbers count from 1", 100, {}, {40, 110, 120}},
        {"a half twip rounds to even", 1, {"=1522.5"}, {30, 1532, 120}},
        {"half a twip above an odd kept width widens it", 2, {"=1523.4", "=1523.5"}, {30, 1534, 120}, 10.25f},
        {"a quarter twip wider widens", 2, {"=1522.5", "=1522.75"}, {30, 1534, 120}},
        {"a text whose loose bound came late is still measured", 2, {"=1000+900", "=1400+100"}, {30, 1410, 120}},
        {"a giant title is measured as shown", 1, {std::string(1000, 'g')}, {30, 2570, 120}},
    };
    for (const Case &c : cases) {
        for (const bool modelGivesUp : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (modelGivesUp ? ", every text measured" : ""));
            std::vector<std::string> times(static_cast<std::size_t>(c.tracks), "");
            Rig rig(times, 120, c.games);
            rig.measure.modelGivesUp = modelGivesUp;
            rig.measure.aWidth = c.aWidth;
            rig.run("load");
            EXPECT_EQ(rig.view.lastWidths, c.expected);
        }
    }
}

} // namespace
