// The playback controller on a fake platform: ticks are raised by hand, so no
// test waits real seconds, and the emulator's orders are read from the fake.

#include "../emulator/fakeplatform.h"
#include "app/playerstate.h"
#include "app/lifecycle.h"
#include "scopedenv.h"
#include "ui/flexgrid.h"
#include "ui/formmain.h"
#include "ui/playbackcontroller.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <utility>

namespace {

class AnsweringDialogs : public UserDialogs
{
public:
    void showExclamation(const std::string &text) override { shown.push_back(text); }
    bool askYesNo(const std::string &text) override
    {
        shown.push_back(text);
        return false;
    }
    std::vector<std::string> shown;
};

struct Track
{
    std::string time;
    std::string game;
    int code;
};

// One window with its controller on a fake emulator, in a folder of its own.
class Rig
{
public:
    // Writes the list and the settings, then loads the window as start-up does.
    void load(const std::vector<Track> &tracks, int defaultPlayTime = 120, bool shuffle = false)
    {
        std::ofstream(dir.file("tl.ini")) << "[config]\nDefaultPlayTime=" << defaultPlayTime
                                          << "\nHootInitWaitTime=0\nDriverInitWaitTime=0\n";
        std::ofstream list(dir.file("tl.lst"));
        for (const Track &track : tracks)
            list << track.time << ",\"" << track.game << "\",\"m\",\"s\"," << track.code << ",\"Title "
                 << track.code << "\"\r\n";
        list.close();

        platform.windowPresentFromStart();
        lifecycle = std::make_unique<ProgramLifecycle>(player, platform, dialogs, platform.pumps([this] {
            if (duringWait)
                duringWait();
        }),
                                                       dir.path());
        form = std::make_unique<FormMain>(player.list);
        form->ChkShufflePlay->setChecked(shuffle);
        controller = std::make_unique<PlaybackController>(*form, player, *lifecycle);
        ASSERT_TRUE(controller->load());
    }

    void ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            controller->onTimer2Tick();
    }

    std::string label() const { return form->LblPlayTime->text().toStdString(); }
    std::string storedSide() const { return label().substr(label().find('/') + 1); }
    std::string lastOrder() const { return platform.clientOrders().back(); }
    int topRow() const { return form->GridPlayList->rowAt(0) + 1; }

    TempDir dir;
    ScopedEnv runtimeDir{"XDG_RUNTIME_DIR", dir.path()}; // a private instance lock
    FakePlatform platform;
    AnsweringDialogs dialogs;
    PlayerState player;
    std::function<void()> duringWait;
    std::unique_ptr<ProgramLifecycle> lifecycle;
    std::unique_ptr<FormMain> form;
    std::unique_ptr<PlaybackController> controller;
};

std::vector<Track> numberedTracks(int count, const std::string &time = "01:00")
{
    std::vector<Track> tracks;
    for (int i = 1; i <= count; ++i)
        tracks.push_back({time, "Alpha", i});
    return tracks;
}

const std::vector<Track> kThreeGames = {
    {"01:30", "Alpha", 1},
    {"", "Beta", 2},
    {"00:05", "Gamma", 3},
};

TEST(PlaybackController, LoadPlaysTheFirstTrackAndStartsTheTimer)
{
    Rig rig;
    rig.load(kThreeGames);
    EXPECT_EQ(rig.platform.clientOrders(),
              (std::vector<std::string>{"hootclient override", R"(hootclient title="Alpha" major="m" sub="s")",
                                        "hootclient code 1"}));
    EXPECT_EQ(rig.player.list.current, 0);
    EXPECT_EQ(rig.form->LblGameTitle->text(), QStringLiteral("Alpha"));
    EXPECT_EQ(rig.form->LblMusicTitle->text(), QStringLiteral("Title 1"));
    EXPECT_EQ(rig.label(), "00:00/01:30");
    // A giant title is cut for the label.
    rig.player.list.tracks[0].musicTitle = std::string(10'000'000, 'x');
    rig.controller->showTrackInfo(0);
    EXPECT_EQ(rig.form->LblMusicTitle->text(), QString(256, u'x'));
    EXPECT_TRUE(rig.form->Timer2->isActive());
    EXPECT_TRUE(rig.form->isVisible());
}

TEST(PlaybackController, StoredTimeChangesTheTrackOnTheTickAfterIt)
{
    Rig rig;
    rig.load(kThreeGames);
    std::string labelDuringChange;
    bool timerDuringChange = true;
    rig.duringWait = [&] {
        labelDuringChange = rig.label();
        timerDuringChange = rig.form->Timer2->isActive();
    };
    rig.ticks(1);
    EXPECT_EQ(rig.label(), "00:01/01:30");
    rig.ticks(89);
    EXPECT_EQ(rig.label(), "01:30/01:30");
    EXPECT_EQ(rig.lastOrder(), "hootclient code 1");

    rig.ticks(1);
    EXPECT_EQ(labelDuringChange, "01:31/01:30");
    EXPECT_FALSE(timerDuringChange) << "no tick may count while the emulator is told the next track";
    EXPECT_EQ(rig.lastOrder(), "hootclient code 2");
    EXPECT_EQ(rig.label(), "00:00/00:00");
    EXPECT_TRUE(rig.form->Timer2->isActive());
}

TEST(PlaybackController, TrackWithoutStoredTimePlaysForTheDefault)
{
    struct Case
    {
        const char *name;
        int defaultPlayTime;
        int changingTick;
    };
    for (const Case c : {Case{"default 120", 120, 121}, Case{"default 0", 0, 1}, Case{"negative default", -5, 1}}) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.load({{"", "Alpha", 1}, {"", "Alpha", 2}}, c.defaultPlayTime);
        rig.ticks(c.changingTick - 1);
        EXPECT_EQ(rig.lastOrder(), "hootclient code 1");
        EXPECT_EQ(rig.storedSide(), "00:00");
        rig.ticks(1);
        EXPECT_EQ(rig.lastOrder(), "hootclient code 2");
    }
}

TEST(PlaybackController, NextTrackWrapsAndScrollsToTheTop)
{
    struct Case
    {
        const char *name;
        int trackCount;
        int startAt; // grid row double-clicked before pressing next
        int expectedCode;
        int expectedTopRow;
    };
    for (const Case c : {Case{"middle of a long list", 40, 20, 21, 21}, Case{"last track wraps", 40, 40, 1, 1},
                         Case{"one track plays again", 1, 1, 1, 1}}) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.load(numberedTracks(c.trackCount));
        rig.form->GridPlayList->setRow(c.startAt);
        rig.controller->onGridPlayListActivate();
        rig.ticks(7);
        rig.form->CmdNext->click();
        EXPECT_EQ(rig.lastOrder(), "hootclient code " + std::to_string(c.expectedCode));
        EXPECT_EQ(rig.label(), "00:00/01:00");
        EXPECT_EQ(rig.topRow(), c.expectedTopRow);
    }
}

TEST(PlaybackController, LoopKeepsTheTrackUntilUnchecked)
{
    Rig rig;
    rig.load(kThreeGames);
    rig.form->ChkLoop->setChecked(true);
    rig.ticks(130);
    EXPECT_EQ(rig.label(), "02:10/01:30");
    EXPECT_EQ(rig.lastOrder(), "hootclient code 1");
    rig.form->ChkLoop->setChecked(false);
    rig.ticks(1);
    EXPECT_EQ(rig.lastOrder(), "hootclient code 2");
}

TEST(PlaybackController, StoreTimeKeepsTheCountAndMovesOn)
{
    struct Case
    {
        const char *name;
        int ticksBefore;
        bool loop;
        int pressesDuringChange;
        int expectedStored; // track 1's time; it was 60
        bool expectedChanged;
        int expectedCode;
    };
    for (const Case c : {Case{"in the first second nothing is stored", 0, false, 0, 60, false, 2},
                         Case{"while looping", 130, true, 0, 130, true, 2},
                         Case{"a few seconds in", 42, false, 0, 42, true, 2},
                         Case{"a second press behind the change only moves on", 42, false, 1, 42, true, 3}}) {
        SCOPED_TRACE(c.name);
        Rig rig;
        rig.load(numberedTracks(4));
        rig.form->ChkLoop->setChecked(c.loop);
        rig.ticks(c.ticksBefore);
        int pressesLeft = c.pressesDuringChange;
        rig.duringWait = [&] {
            if (pressesLeft-- > 0)
                rig.form->CmdGetTime->click();
        };
        rig.form->CmdGetTime->click();
        EXPECT_EQ(rig.player.list.tracks[0].playTime, c.expectedStored);
        EXPECT_EQ(rig.player.list.tracks[1].playTime, 60) << "the track after it keeps its time";
        EXPECT_EQ(rig.player.list.modified, c.expectedChanged);
        EXPECT_EQ(rig.lastOrder(), "hootclient code " + std::to_string(c.expectedCode));
        // The stored track's row is redrawn with its new shade.
        rig.form->GridPlayList->setRow(1);
        rig.form->GridPlayList->setCol(0);
        EXPECT_EQ(rig.form->GridPlayList->text(), QStringLiteral("1"));
    }
}

TEST(PlaybackController, GridActivationPlaysThatRowWithoutScrolling)
{
    Rig rig;
    rig.load(numberedTracks(60));
    rig.form->GridPlayList->setTopRow(30);
    const int topBefore = rig.topRow();
    bool gridEnabledDuringChange = true;
    rig.duringWait = [&] { gridEnabledDuringChange = rig.form->GridPlayList->isEnabled(); };
    rig.form->ChkShufflePlay->setChecked(true); // the grid's row wins over shuffle

    rig.form->CmdNext->setFocus();
    rig.form->GridPlayList->setRow(35);
    emit rig.form->GridPlayList->keyPress(13);
    EXPECT_EQ(rig.lastOrder(), "hootclient code 35");
    EXPECT_FALSE(gridEnabledDuringChange);
    EXPECT_TRUE(rig.form->GridPlayList->isEnabled());
    EXPECT_EQ(rig.topRow(), topBefore);
    EXPECT_EQ(rig.form->focusWidget(), rig.form->GridPlayList);

    const auto ordersBefore = rig.platform.clientOrders().size();
    emit rig.form->GridPlayList->keyPress('a');
    EXPECT_EQ(rig.platform.clientOrders().size(), ordersBefore) << "only Enter and Space play";
    emit rig.form->GridPlayList->keyPress(32);
    EXPECT_EQ(rig.lastOrder(), "hootclient code 35") << "the playing track starts again";
    EXPECT_EQ(rig.label(), "00:00/01:00");
}

TEST(PlaybackController, NextPressesDuringAChangeBecomeOneChangeAfterIt)
{
    for (const bool shuffle : {false, true}) {
        SCOPED_TRACE(shuffle ? "shuffle: a draw per press" : "in order");
        Rig rig;
        rig.load(numberedTracks(10), 120, shuffle);
        rig.player.random.seed(3); // draws 5, 0, 7: each press counts
        // Where three presses one after the other lead, drawn ahead on a copy.
        const std::mt19937 generator = rig.player.random;
        std::vector<qint32> targets;
        for (qint32 at = 0; targets.size() < 3;)
            targets.push_back(at = shuffle ? rig.controller->randomIndex() : at + 1);
        rig.player.random = generator;
        bool clicked = false;
        rig.duringWait = [&] {
            // Two clicks land while the first change waits for its client.
            if (!std::exchange(clicked, true)) {
                rig.form->CmdNext->click();
                rig.form->CmdNext->click();
            }
        };
        rig.form->CmdNext->click();
        const auto orders = rig.platform.clientOrders();
        EXPECT_EQ(std::vector<std::string>(orders.end() - 2, orders.end()),
                  (std::vector<std::string>{"hootclient code " + std::to_string(targets[0] + 1),
                                            "hootclient code " + std::to_string(targets[2] + 1)}));
        EXPECT_EQ(rig.player.list.current, targets[2]);
        EXPECT_EQ(rig.form->LblMusicTitle->text(), QStringLiteral("Title %1").arg(targets[2] + 1));
        EXPECT_FALSE(rig.controller->isChanging());
    }
}

TEST(PlaybackController, ClosingDuringAChangeWaitsForItsEnd)
{
    Rig rig;
    rig.load(numberedTracks(3));
    bool closedDuringChange = false;
    rig.duringWait = [&] {
        if (!closedDuringChange) {
            closedDuringChange = true;
            rig.form->close();
            EXPECT_TRUE(rig.form->isVisible()) << "the window stays until the change is over";
        }
    };
    rig.form->CmdNext->click();
    EXPECT_TRUE(closedDuringChange);
    EXPECT_EQ(rig.lastOrder(), "hootclient code 2");
    EXPECT_FALSE(rig.form->isVisible());
    EXPECT_FALSE(rig.form->Timer2->isActive());
}

TEST(PlaybackController, EmptyListSendsOnlyTheOverride)
{
    Rig rig;
    rig.load({});
    EXPECT_EQ(rig.platform.clientOrders(), std::vector<std::string>{"hootclient override"});
    EXPECT_FALSE(rig.form->Timer2->isActive());
    EXPECT_TRUE(rig.form->isVisible()) << "the window opens all the same";
    EXPECT_EQ(rig.form->GridPlayList->rows(), 1);
    rig.form->CmdNext->click();
    rig.form->CmdGetTime->click();
    emit rig.form->GridPlayList->dblClick();
    rig.ticks(3);
    EXPECT_EQ(rig.platform.clientOrders().size(), 1u);
    EXPECT_EQ(rig.player.list.modified, false);
    EXPECT_TRUE(rig.form->close());
}

TEST(PlaybackController, ShuffleDrawsEveryTrackAndMayRepeatOne)
{
    Rig rig;
    rig.load(numberedTracks(5), 120, true);
    rig.player.random.seed(7);
    std::set<int> drawn;
    for (int i = 0; i < 200; ++i) {
        const qint32 index = rig.controller->randomIndex();
        ASSERT_GE(index, 0);
        ASSERT_LT(index, 5);
        drawn.insert(index);
    }
    EXPECT_EQ(drawn.size(), 5u);

    bool repeated = false;
    for (int i = 0; i < 50 && !repeated; ++i) {
        const qint32 before = rig.player.list.current;
        rig.form->CmdNext->click();
        repeated = rig.player.list.current == before;
    }
    EXPECT_TRUE(repeated) << "shuffle may pick the track that is playing";
    EXPECT_EQ(rig.label(), "00:00/01:00");
}

TEST(PlaybackController, LabelKeepsCountingPastNineHours)
{
    Rig rig;
    rig.load(kThreeGames);
    rig.form->ChkLoop->setChecked(true);
    rig.ticks(36000);
    EXPECT_EQ(rig.label(), "600:00/01:30");
}

} // namespace
