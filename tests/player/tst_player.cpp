// The player on a fake window and a fake emulator: ticks and clicks are raised
// by hand, and every case compares the calls the window received, with the
// emulator's play orders written in where the player waited for them.

#include "app/singleinstance.h"
#include "player/columnwidths.h"
#include "rig.h"

#include <gtest/gtest.h>

#include <set>

namespace {

const std::vector<std::string> kThree = {"01:30", "", "00:05"};

// The calls of a change to track n of kThree (1-based); `extra` comes after
// the timer stops. From the grid the row is selected without scrolling.
std::string to(int n, const std::string &extra = "", bool fromGrid = false)
{
    const char *times[] = {"01:30", "00:00", "00:05"};
    const std::string track = std::to_string(n), row = std::to_string(n - 1);
    const std::string shown = "play " + track + "; " + (fromGrid ? "" : "top " + row + "; ") + "select " + row
        + "; show; titles G" + track + "|M" + track + "; time 00:00/" + times[n - 1] + "; ";
    if (fromGrid)
        return "grid off; tick off; " + extra + shown + "grid on; focus grid; tick on; ";
    return "tick off; " + extra + shown + "tick on; ";
}

TEST(Player, StepsReachTheWindowInOrder)
{
    const std::string ask = "ask 演奏時間情報を記録しますか？; ", noList = "message 曲リストファイルが見つかりません。; ";
    const auto remove = [](std::vector<const char *> files) {
        return [=](Rig &r) { std::ranges::for_each(files, [&](auto f) { std::filesystem::remove(r.dir.file(f)); }); };
    };
    std::unique_ptr<SingleInstance> other; // a player running meanwhile
    struct Case
    {
        const char *name;
        std::vector<std::string> times;
        std::string steps, expected;
        int defaultPlayTime = 120;
        std::function<void(Rig &)> arrange = [](Rig &) {};
        std::string game1 = "G1";
    };
    const Case cases[] = {
        {"load fills and shows the grid before the first order", kThree, "load",
         "rows 3 30/110; select 0; show; play 1; top 0; select 0; show; titles G1|M1; time 00:00/01:30; tick on; "
         "focus window; "},
        {"a stored time of 90 changes on tick 91", kThree, "load t89 | t t",
         "time 01:30/01:30; time 01:31/01:30; " + to(2)},
        {"no stored time plays for the default", {"", ""}, "load t119 | t", "time 02:00/00:00; "},
        {"a default of 0 changes on the first tick", {"", ""}, "load | t", "time 00:01/00:00; " + to(2), 0},
        {"next", kThree, "load t7 | n", to(2)},
        {"next after the last track wraps to the first", kThree, "load r2 | n", to(1)},
        {"one track plays again", {"01:30"}, "load t5 | n", to(1)},
        {"loop keeps the track past its time; its time is stored", kThree, "load L t130 | t s =",
         "time 02:11/01:30; " + to(2, "repaint 0; ") + "time1 131*; "},
        {"unchecking loop changes at the next tick", kThree, "load L t130 l | t", "time 02:11/01:30; " + to(2)},
        {"store time in the first second stores nothing and moves on", kThree, "load | s =", to(2) + "time1 90; "},
        {"a store press queued behind a change only moves on", kThree, "load t42 | @s s =",
         to(2, "repaint 0; ") + to(3) + "time1 42*; "},
        {"next presses queued behind a change make one change", kThree, "load | @n @n n", to(2) + to(1)},
        {"a change longer than half a second shows the busy cursor", kThree, "load w600 | n",
         "tick off; busy on; play 2; top 1; select 1; show; titles G2|M2; time 00:00/00:00; busy off; tick on; "},
        {"a quicker change leaves the cursor alone", kThree, "load w400 | n", to(2)},
        {"closing during start-up waits for it and plays nothing", kThree, "@c load", "close; tick off; "},
        {"a row plays without scrolling; the grid is off meanwhile", kThree, "load S | r2", to(3, "", true)},
        {"the playing row starts again", kThree, "load t9 | r0", to(1, "", true)},
        {"no track's row plays nothing; the timer starts afresh", kThree, "load | r-1 r3", "tick on; "},
        {"input during a change runs after it, in order", kThree, "load | @n @r0 n", to(2) + to(3) + to(1, "", true)},
        {"closing during a change waits for it, drops queued input and asks to save", kThree, "load t42 | @c @n s",
         to(2, "repaint 0; close; ") + "close; tick off; " + ask},
        {"an empty list shows the header alone and ignores input", {}, "load n s r0 t3", "rows 0 30/110; show; "},
        {"a giant title is cut for the label", {"01:30"}, "load | n",
         "tick off; play 1; top 0; select 0; show; titles " + std::string(256, 'x') + "|M1; time 00:00/01:30; tick on; ",
         120, [](Rig &) {}, std::string(300, 'x')},
        {"no list: no emulator", kThree, "load x", noList + "refused; ended 0; ", 120, remove({"tl.lst"})},
        {"a folder is no list", kThree, "load", noList + "refused; ", 120,
         [](Rig &r) { std::filesystem::remove(r.dir.file("tl.lst")), std::filesystem::create_directory(r.dir.file("tl.lst")); }},
        {"tl.ini is read before the list is looked for", kThree, "load",
         "message 設定ファイル tl.ini が見つからないか、読み込めません。; refused; ", 120, remove({"tl.ini", "tl.lst"})},
        {"a second player reads nothing", kThree, "load x", "message 既に起動されています。; refused; ended 0; ", 120,
         [&](Rig &r) { remove({"tl.ini"})(r), (other = std::make_unique<SingleInstance>())->acquire(); }},
        {"an emulator started for a failed start is ended", kThree, "load x",
         "message hootclient を起動できません（gone）。; refused; ended 1; ", 120, [](Rig &r) { r.platform.failStarts("hootclient", "gone"); }},
        {"an emulator found running is left running", kThree, "load | c x", "close; tick off; ended 0; ", 120,
         [](Rig &r) { r.platform.windowPresentFromStart(); }},
        {"one started here is ended", kThree, "load | c x", "close; tick off; ended 1; "},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(c.times, c.defaultPlayTime, c.game1);
        c.arrange(rig);
        rig.run(c.steps);
        EXPECT_EQ(rig.view.calls, c.expected);
    }
}

TEST(Player, ShuffleDrawsAnyTrackOncePerPress)
{
    Rig large(std::vector<std::string>(2000, "01:00"));
    large.run("S load");
    EXPECT_NE(large.state.list.current, 0) << "a shuffled start draws its track (fails once in 2000 runs)";

    Rig rig(std::vector<std::string>(5, "01:00"));
    rig.run("S load");
    std::set<int> drawn;
    bool repeated = false;
    for (int i = 0; i < 100; ++i) {
        const int before = rig.state.list.current;
        rig.run("n");
        drawn.insert(rig.state.list.current);
        repeated |= rig.state.list.current == before;
    }
    EXPECT_EQ(drawn, (std::set<int>{0, 1, 2, 3, 4}));
    EXPECT_TRUE(repeated) << "shuffle may pick the track that is playing";

    // Next presses queued behind a change: one change, one draw per press.
    rig.state.random.seed(3);
    const std::mt19937 before = rig.state.random;
    const int first = rig.player.randomIndex(), second = rig.player.randomIndex(), third = rig.player.randomIndex();
    ASSERT_NE(second, third);
    rig.state.random = before;
    rig.run("| @n @n n");
    std::string plays;
    for (auto at = rig.view.calls.find("play "); at != std::string::npos; at = rig.view.calls.find("play ", at + 1))
        plays += rig.view.calls.substr(at + 5, 1);
    EXPECT_EQ(plays, std::to_string(first + 1) + std::to_string(third + 1));
}

// Column 0 holds "NO" (20 twips) and the numbers, column 2 "MUSIC TITLE" (110)
// and "M"; column 1 "GAME TITLE" (100) and each case's game titles. A width is
// that of the widest text plus "A" (10.5 unless told), rounded half to even.
TEST(ColumnWidths, WidestTextPlusAnARoundedHalfToEven)
{
    struct Case
    {
        const char *name;
        std::vector<std::string> games;
        ColumnWidths expected;
        float aWidth = 10.5f;
    };
    const Case cases[] = {
        {"narrow texts leave the header widths", {"a", "b"}, {30, 110, 120}},
        {"numbers count from 1", std::vector<std::string>(100, "g"), {40, 110, 120}},
        {"a half twip rounds to even", {"=1522.5"}, {30, 1532, 120}},
        {"half a twip above an odd kept width widens it", {"=1523.4", "=1523.5"}, {30, 1534, 120}, 10.25f},
        {"a quarter twip wider widens", {"=1522.5", "=1522.75"}, {30, 1534, 120}},
        {"a text whose loose bound came late is still measured", {"=1000+900", "=1400+100"}, {30, 1410, 120}},
        {"a giant title is measured as shown", {std::string(1000, 'g')}, {30, 2570, 120}},
    };
    for (const Case &c : cases) {
        for (const bool modelGivesUp : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (modelGivesUp ? ", every text measured" : ""));
            TrackList list;
            for (const std::string &game : c.games)
                list.addRecord(Track{0, game, "", "", {}, "M"});
            FakeMeasure measure;
            measure.modelGivesUp = modelGivesUp;
            measure.aWidth = c.aWidth;
            EXPECT_EQ(columnWidthsTwips(Playlist(list), measure), c.expected);
        }
    }
}

TEST(Playlist, RowsWithoutAStoredTimeAreShaded)
{
    TrackList list;
    for (const int playTime : {1, 0, -5})
        list.addRecord(Track{playTime, "g", "", "", {}, "m"});
    const Playlist playlist(list);
    EXPECT_EQ((std::vector{playlist.shade(0), playlist.shade(1), playlist.shade(2)}),
              (std::vector<RgbColor>{0xFFFFFF, 0xDDDDDD, 0xDDDDDD}));
}

} // namespace
