// The player on a fake window and a fake emulator: ticks and clicks are raised by hand, and every
// case compares the calls the window received, with the emulator's play orders written in where the
// player waited for them; start-up and shut-down read and write the list in a folder of their own.

#include "../emulator/fakeplatform.h"
#include "app/singleinstance.h"
#include "storage/unsavedtimes.h"
#include "fakeview.h"
#include "player/columnwidths.h"
#include "tracklist/listfile.h"
#include "scopedenv.h"
#include "util/file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <utility>

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Every byte 10 twips wide and "A" `aWidth`, except "=W" and "=W+S": W twips
// wide, with an upper bound S above that.
struct FakeMeasure : TextMeasure
{
    float widthTwips(std::string_view text) override
    {
        const std::string t(text);
        return t == "A" ? aWidth : t.starts_with('=') ? std::stof(t.substr(1)) : 10.0f * static_cast<float>(t.size());
    }
    float upperBoundTwips(std::string_view text) override
    {
        const std::string t(text);
        const auto plus = t.find('+');
        const float slack = plus == std::string::npos ? 0 : std::stof(t.substr(plus + 1));
        return modelGivesUp ? INFINITY : widthTwips(t) + slack;
    }
    bool modelGivesUp = false;
    float aWidth = 10.5f;
};

// A file's bytes, "" when it cannot be read.
std::string contents(const std::string &path) { return readFile(path) ? readFile(path).value() : ""; }

// The list of the save cases: a comment, a track without a stored time and a hexadecimal code.
const std::string kList = "; my list\r\n01:30,\"Alpha\",\"m\",\"s\",18,\"One\"\r\n,\"Beta\",\"m\",\"s\",0x1F,\"Two\"\r\n";
const std::string kSameSizeEdit = "; my list\r\n01:30,\"Alpho\",\"m\",\"s\",18,\"One\"\r\n,\"Beta\",\"m\",\"s\",0x1F,\"Two\"\r\n";
const std::string kSaved = "; my list\r\n00:07,\"Alpha\",\"m\",\"s\",18,\"One\"\r\n00:00,\"Beta\",\"m\",\"s\",31,\"Two\"\r\n";

// A player with its window on a fake emulator, in a folder of its own. Tracks
// are given by their stored times ("" for none); track i is game "G<i+1>",
// music "M<i+1>", code i+1.
struct Rig
{
    explicit Rig(const std::vector<std::string> &times, int defaultPlayTime = 120)
    {
        std::ofstream(dir.file("tl.ini")) << "[config]\nDefaultPlayTime=" << defaultPlayTime
                                          << "\nHootInitWaitTime=0\nDriverInitWaitTime=0\n";
        std::ofstream list(dir.file("tl.lst"));
        for (std::size_t i = 0; i < times.size(); ++i)
            list << times[i] << ",\"G" << i + 1 << "\",\"m\",\"s\"," << i + 1 << ",\"M" << i + 1 << "\"\r\n";
        fs::permissions(dir.file("tl.lst"), fs::perms(0640)); // a save keeps it for the list and its backup
        platform.onClientStart = [this](const std::string &order) {
            // The play order the emulator is running, then the input armed for this wait.
            if (order.starts_with("hootclient code "))
                view.note("play " + order.substr(16));
            inWait = true;
            run(std::exchange(armed, ""));
            inWait = false;
        };
        view.player = &*player;
        view.measure = &measure;
        view.onAnswer = [this](char answer) {
            fs::remove(answer == 'F' ? dir.file("tl.lst.bak") : "");
            if (answer == 'Q') // the desktop's Quit, or a second close, while the question is open
                player->requestClose();
        };
    }

    // Steps, separated by blanks: "load", "t" (a tick) or "t90" (90 ticks), "+N" N ms pass, "_" a space
    // typed on the grid's first row, "n" or "n9" next, "s" store time, "r4" activate row 4, "c" close (or a
    // signal, or the desktop's Quit), "L"/"l" loop on/off, "S" shuffle on, "F" clients fail to start,
    // "w600" client runs take 600 ms, "R" or "R0" Resume=1 or 0 in tl.ini, "^" the next run in the same folder, "q2" queue row 2, "p" previous,
    // "k" the list is kList, "A" it is read ahead, as a run's start does, "e" it is edited on disk, "E" edited keeping its size and time, "?YN" the
    // answers to questions (Q: yes, with a close meanwhile); "x" note how often the emulator was ended, "="
    // the first track's time, "f" the list and its backup, "h" the rows' shades, "u" whether tl.lst.unsaved
    // is there; "|" forget the calls so far, "@x" do x during the next wait for the emulator, "/x" type x on
    // the grid's first row; "2" note standard error.
    void run(const std::string &steps)
    {
        std::istringstream in(steps);
        for (std::string step; in >> step;) {
            const int number = step.size() > 1 ? std::atoi(step.c_str() + 1) : 1;
            if (step == "load")
                player->start();
            for (int i = 0; step[0] == 't' && i < number; ++i)
                platform.advance(1s), settle();
            for (int i = 0; step[0] == 'n' && i < number; ++i)
                player->next(), settle();
            step == "s" ? player->storeTime() : step == "c" ? player->requestClose() : void();
            if (step[0] == 'r')
                player->activateRow(number);
            if (step[0] == 'q')
                player->gridKeyPressed(GridKey::Queue, {}, number);
            if (step == "p")
                player->previous();
            if (step == "^") { // the next run in the same folder, once this one has ended
                player.reset(), state = PlayerState(), lifecycle.emplace(state, platform, platform, view, dir.path());
                player.emplace(view, state, *lifecycle, platform);
            }
            if (step[0] == 'R') {
                std::string ini = contents(dir.file("tl.ini"));
                std::ofstream(dir.file("tl.ini")) << ini.erase(std::min(ini.find("Resume"), ini.size())) << "Resume="
                                                  << number << "\n";
            }
            if (step == "L" || step == "l")
                player->setLoop(step == "L");
            if (step == "S")
                player->setShuffle(true);
            if (step == "F")
                platform.failures["hootclient"] = "gone";
            if (step[0] == 'w')
                platform.runTime = std::chrono::milliseconds(number);
            if (step == "k")
                std::ofstream(dir.file("tl.lst")) << kList, fs::permissions(dir.file("tl.lst"), fs::perms(0640));
            if (step == "A") {
                auto read = readListFileAhead(dir.file("tl.lst"));
                read.wait();
                lifecycle->takeListReadAhead(std::move(read));
            }
            if (step == "e")
                std::ofstream(dir.file("tl.lst"), std::ios::app) << "; edited\r\n";
            if (step == "E") {
                const auto time = fs::last_write_time(dir.file("tl.lst"));
                std::ofstream(dir.file("tl.lst")) << kSameSizeEdit;
                fs::last_write_time(dir.file("tl.lst"), time);
            }
            if (step[0] == '?')
                view.answers = step.substr(1);
            if (step == "x")
                view.note("ended " + std::to_string(platform.count("terminate"))
                          + (lifecycle->saveFailed() ? " unsaved" : ""));
            if (step == "f")
                view.note((fs::is_symlink(dir.file("tl.lst")) ? "link " : "list ") + contents(dir.file("tl.lst"))
                          + "bak " + contents(dir.file("tl.lst.bak")));
            for (int i = 0; step == "h" && i < state.list.count(); ++i)
                view.note("shade" + std::to_string(i) + (Playlist(state.list).shade(i) == 0xDDDDDD ? " grey" : ""));
            if (step == "u")
                view.note(fs::exists(dir.file("tl.lst.unsaved")) ? "unsaved" : "none unsaved");
            if (step == "=")
                view.note("time1 " + std::to_string(state.list.track(0).playTime) + (state.list.modified ? "*" : ""));
            if (step == "|")
                view.calls = "";
            if (step == "2") { // what reached standard error since, the folder shown as $
                std::string told = err.str();
                for (auto at = told.find(dir.path()); at != std::string::npos; at = told.find(dir.path()))
                    told.replace(at, dir.path().size(), "$");
                view.note("stderr " + told);
                err.str("");
            }
            if (step[0] == '@')
                armed += step.substr(1) + " ";
            if (step[0] == '/')
                player->gridKeyPressed(GridKey::Text, step.substr(1), 0);
            if (step == "_")
                player->gridKeyPressed(GridKey::Space, " ", 0);
            if (step[0] == '+')
                platform.advance(std::chrono::milliseconds(number));
            settle();
        }
    }

    // Runs the loop until the player waits for nothing but its tick; input
    // armed for a wait is given inside the loop, which runs on afterwards.
    void settle()
    {
        if (inWait)
            return;
        platform.runUntil([this] {
            return player->state() != Player::State::Starting && player->state() != Player::State::Changing;
        });
    }

    TempDir dir;
    ScopedEnv runtimeDir{"XDG_RUNTIME_DIR", dir.path()}; // a private instance lock
    ScopedEnv stateHome{"XDG_STATE_HOME", dir.path()};   // and a private state folder
    FakePlatform platform;
    FakeMeasure measure;
    FakeView view;
    PlayerState state;
    std::optional<ProgramLifecycle> lifecycle{std::in_place, state, platform, platform, view, dir.path()};
    std::optional<Player> player{std::in_place, view, state, *lifecycle, platform};
    std::string armed;
    bool inWait = false;
    std::ostringstream err;
    struct CerrCatch
    {
        std::streambuf *real;
        ~CerrCatch() { std::cerr.rdbuf(real); }
    } cerrCatch{std::cerr.rdbuf(err.rdbuf())};
};

const std::vector<std::string> kThree = {"01:30", "", "00:05"};

// The calls of a change to track n of kThree (1-based); `extra` comes before
// the order. From the grid the row is selected without scrolling.
std::string to(int n, const std::string &extra = "", bool fromGrid = false)
{
    const char *times[] = {"01:30", "00:00", "00:05"};
    const std::string track = std::to_string(n), row = std::to_string(n - 1);
    return extra + "play " + track + "; " + (fromGrid ? "" : "top " + row + "; ") + "select " + row
        + "; show; titles G" + track + "|M" + track + "; time 00:00/" + times[n - 1] + "; "
        + (fromGrid ? "focus grid; " : "");
}

TEST(Player, StepsReachTheWindowInOrder)
{
    const std::string noList = "message 曲リストファイルが見つかりません。; ", end = "end 0; ";
    const std::string ask = "ask 演奏時間情報を記録しますか？; ", saved = "ended 1; list " + kSaved + "bak " + kList + "; ";
    const std::string retry = "ask 演奏時間情報を記録できませんでした。tl.lst は元のままです。\n$/tl.lst.bak: ファイルでは"
                              "なくフォルダーです。\n\nもう一度記録しますか？（いいえを選ぶと記録せずに終了します）; ";
    const std::string askChanged = "ask tl.lst は読み込んだ後にほかのプログラムで変更されています。記録すると、いまの "
                                   "tl.lst は tl.lst.bak に残ります。\n\n演奏時間情報を記録しますか？; ";
    const auto blockBackup = [](Rig &r) { fs::create_directory(r.dir.file("tl.lst.bak")); };
    const std::string offer = "ask 前回記録されなかった演奏時間が 1 曲分あります。読み込みますか？; ";
    const auto loaded = [](const std::string &firstTime) {
        return "rows 3 30/110; select 0; show; play 1; top 0; select 0; show; titles G1|M1; time 00:00/" + firstTime
            + "; focus window; ";
    };
    // A run before stored 42 s on the first track and ended without a save.
    const auto leftBehind = [](Rig &r) {
        TrackList list;
        (void)readTrackList(contents(r.dir.file("tl.lst")), list);
        list.setPlayTime(0, 42);
        std::ofstream(r.dir.file("tl.lst.unsaved")) << writeUnsavedTimes(list, {0});
    };
    std::unique_ptr<SingleInstance> other; // a player running meanwhile
    const std::string tooLong = "message 曲「M2」（2 曲目）は、命令が長すぎて hootclient に渡せないため演奏しません。; ";
    const auto longSecond = [](Rig &r) { // a game title no command line can carry
        std::ofstream(r.dir.file("tl.lst")) << "01:30,\"G1\",\"m\",\"s\",1,\"M1\"\r\n,\"" << std::string(2000, 'x')
                                            << "\",\"m\",\"s\",2,\"M2\"\r\n00:05,\"G3\",\"m\",\"s\",3,\"M3\"\r\n";
    };
    struct Case
    {
        const char *name;
        std::vector<std::string> times;
        std::string steps, expected;
        std::function<void(Rig &)> arrange = [](Rig &) {};
        int defaultPlayTime = 120;
    };
    const Case cases[] = {
        {"load fills and shows the grid before the first order", kThree, "load",
         "rows 3 30/110; select 0; show; play 1; top 0; select 0; show; titles G1|M1; time 00:00/01:30; "
         "focus window; "},
        {"a stored time of 90 changes on tick 91", kThree, "load t89 | t t",
         "time 01:30/01:30; time 01:31/01:30; " + to(2)},
        {"no stored time plays for the default", {"", ""}, "load t119 | t", "time 02:00/00:00; "},
        {"a default of 0 changes on the first tick", {"", ""}, "load | t", "time 00:01/00:00; " + to(2), [](Rig &) {}, 0},
        {"next after the last track wraps to the first", kThree, "load r2 | n", to(1)},
        {"one track plays again", {"01:30"}, "load t5 | n", to(1)},
        {"loop keeps the track past its time; unchecked, it changes at the next tick", kThree, "load L t130 | t l t",
         "time 02:11/01:30; modes; time 02:12/01:30; " + to(2)},
        {"store time in the first second stores nothing and moves on", kThree, "load | s =", to(2) + "time1 90; "},
        {"a store press queued behind a change only moves on", kThree, "load t42 | @s s =",
         to(2, "repaint 0; ") + to(3) + "time1 42*; "},
        {"next presses queued behind a change make one change", kThree, "load | @n @n n", to(2) + to(1)},
        {"a change longer than half a second shows the busy cursor", kThree, "load w300 | n",
         "play 2; busy on; top 1; select 1; show; titles G2|M2; time 00:00/00:00; busy off; "},
        {"next; a quicker change leaves the cursor alone", kThree, "load w200 | n", to(2)},
        {"closing during start-up waits for it and plays nothing", kThree, "@c load", "rows 3 30/110; " + end},
        {"a row plays without scrolling; the playing row starts again", kThree,
         "load t9 S | r0 r2", to(1, "", true) + to(3, "", true)},
        {"no track's row plays nothing", kThree, "load | r-1 r3", ""},
        {"a queued row plays next, without a change of its own; the list goes on after it", kThree, "load | q2 n n",
         "redraw 2 bold; " + to(3, "redraw 2; ") + to(1)},
        {"queued rows come first in shuffle, in order; queued again, a row is taken out", kThree,
         "S load | q2 q1 q2 n", "redraw 2 bold; redraw 1 bold; redraw 2; " + to(2, "redraw 1; ")},
        {"a row queued during a change is queued after it; no track's row is never queued", kThree,
         "load | @q2 @q-1 n n", to(2) + "redraw 2 bold; " + to(3, "redraw 2; ")},
        {"previous goes back as far as the run played, queued tracks too, then does nothing", kThree,
         "load | q2 n n p p p", "redraw 2 bold; " + to(3, "redraw 2; ") + to(1) + to(3) + to(1)},
        {"a track started again is one step back; previous during a change waits its turn", kThree,
         "load | r0 n @p n p p", to(1, "", true) + to(2) + to(3) + to(2) + to(1)},
        {"with Resume=1 the next run starts with the track playing at the end, from its beginning", kThree,
         "R load n t5 c ^ | load", "rows 3 30/110; select 1; show; " + to(2) + "focus window; "},
        {"without it, with the first track", kThree, "R load n c ^ R0 | load", loaded("01:30")},
        {"input during a change runs after it, in order", kThree, "load | @n @r0 n", to(2) + to(3) + to(1, "", true)},
        {"closing during a change waits for it, drops queued input and asks to save", kThree, "load t42 | @c @n s",
         to(2, "repaint 0; ") + ask + end},
        {"typing selects and shows the row found without playing; finding none beeps", kThree, "load | /m2 /x",
         "find m2; select 1; row 1; find m2x; beep; "},
        {"a space typed while finding joins the search text; after the typing pause it plays the row", kThree,
         "load | /m _ +1001 _", "find m; select 0; row 0; find m ; beep; time 00:01/01:30; " + to(1, "", true)},
        {"a track whose orders are too long is passed over, told once; its row plays nothing", kThree,
         "load | n n r1", tooLong + to(3) + to(1), longSecond},
        {"an empty list shows the header alone and ignores input", {}, "load n s r0 t3", "rows 0 30/110; show; "},
        {"a giant title is cut for the label", {}, "load | n",
         "play 1; top 0; select 0; show; titles " + std::string(256, 'x') + "|M; time 00:00/01:30; ",
         [](Rig &r) { std::ofstream(r.dir.file("tl.lst")) << "01:30,\"" << std::string(300, 'x') << "\",\"m\",\"s\",1,\"M\""; }},
        {"a missing list: no emulator", kThree, "load x", noList + "end 1; ended 0; ",
         [](Rig &r) { fs::remove(r.dir.file("tl.lst")); }},
        {"a folder is no list: no emulator", kThree, "load x",
         "message 曲リストファイルを読み込めません。\nファイルではなくフォルダーです。; end 1; ended 0; ",
         [](Rig &r) { fs::remove(r.dir.file("tl.lst")), fs::create_directory(r.dir.file("tl.lst")); }},
        {"a FIFO is refused without waiting for a writer", kThree, "load x",
         "message 曲リストファイルを読み込めません。\n通常のファイルではありません（FIFO かデバイスです）。; end 1; "
         "ended 0; ",
         [](Rig &r) { fs::remove(r.dir.file("tl.lst")), mkfifo(r.dir.file("tl.lst").c_str(), 0600); }},
        {"tl.ini is read before the list is looked for", kThree, "load",
         "message 設定ファイル tl.ini が見つからないか、読み込めません。; end 1; ",
         [](Rig &r) { fs::remove(r.dir.file("tl.ini")), fs::remove(r.dir.file("tl.lst")); }},
        {"a second player reads nothing", kThree, "load x", "message 既に起動されています。; end 1; ended 0; ",
         [&](Rig &r) { fs::remove(r.dir.file("tl.ini")), (other = std::make_unique<SingleInstance>())->acquire().value(); }},
        {"an emulator started for a failed start is ended", kThree, "load x",
         "rows 3 30/110; message hootclient を起動できません。; end 1; ended 1; ",
         [](Rig &r) { r.platform.failures["hootclient"] = "gone"; }},
        {"a failed order is told in a box once, its detail on standard error each time", kThree, "load | F n n 2",
         "top 1; select 1; show; titles G2|M2; time 00:00/00:00; message hootclient を起動できません。; top 2; "
         "select 2; show; titles G3|M3; time 00:00/00:05; stderr tunelark: hootclient: gone\ntunelark: hootclient: "
         "gone\n; "},
        {"an emulator found running is left running", kThree, "load | c x", end + "ended 0; ",
         [](Rig &r) { r.platform.openWindow(); }},
        {"one started here is ended", kThree, "load | c x", end + "ended 1; "},
        {"rows without a stored time are shaded", {"", "-1:05", "00:01"}, "load | h",
         "shade0 grey; shade1 grey; shade2; "},
        {"No keeps the list and drops the stored time kept beside it", {}, "k load t7 s | u c x f u",
         "unsaved; " + ask + end + "ended 1; list " + kList + "bak ; none unsaved; "},
        {"Yes saves, keeping comments, codes in decimal, the old list as backup; the kept time goes", {},
         "k load t7 s | ?Y c x f u", ask + end + saved + "none unsaved; "},
        {"a close while the save question is open changes nothing", {}, "k load t7 s | ?Q c x f", ask + end + saved},
        {"times a run before left are offered; Yes takes them into the list, to be saved at the close", kThree,
         "?Y load = u", offer + loaded("00:42") + "time1 42*; unsaved; ", leftBehind},
        {"No to them removes them", kThree, "load = u", offer + loaded("01:30") + "time1 90; none unsaved; ",
         leftBehind},
        {"times left for another list are removed unasked", kThree, "load = u",
         loaded("01:30") + "time1 90; none unsaved; ",
         [](Rig &r) { std::ofstream(r.dir.file("tl.lst.unsaved")) << "1 42 0123456789abcdef\n"; }},
        {"an edit elsewhere is named and kept as the backup; a link stays a link", {}, "k load t7 s e | ?Y c x f",
         askChanged + end + "ended 1; link " + kSaved + "bak " + kList + "; edited\r\n; ",
         [](Rig &r) {
             fs::rename(r.dir.file("tl.lst"), r.dir.file("real.lst"));
             fs::create_symlink("real.lst", r.dir.file("tl.lst"));
         }},
        {"the list read ahead is the one played; an edit after it is named", {}, "k A e load t7 s | ?Y c x f",
         askChanged + end + "ended 1; list " + kSaved + "bak " + kList + "; edited\r\n; "},
        {"a list that came after the read ahead is read at start-up", {}, "A k load t7 s | ?Y c x f", ask + end + saved,
         [](Rig &r) { fs::remove(r.dir.file("tl.lst")); }},
        {"an edit keeping the size and the time is named too", {}, "k load t7 s E | ?Y c x f",
         askChanged + end + "ended 1; list " + kSaved + "bak " + kSameSizeEdit + "; "},
        {"a failed save given up leaves the list, and the time beside it", {}, "k load t7 s | ?YN c x f u 2",
         ask + retry + "end 2; ended 1 unsaved; list " + kList + "bak ; unsaved; stderr tunelark: $/tl.lst.bak: "
         "Is a directory\n; ", blockBackup},
        {"a failed save tried again once the cause is gone", {}, "k load t7 s | ?YF c x f", ask + retry + end + saved,
         blockBackup},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(c.times, c.defaultPlayTime);
        c.arrange(rig);
        rig.run(c.steps);
        std::string calls = rig.view.calls;
        if (const auto at = calls.find(rig.dir.path()); at != std::string::npos)
            calls.replace(at, rig.dir.path().size(), "$");
        EXPECT_EQ(calls, c.expected);
        for (const std::string &file : {rig.dir.file("tl.lst"), rig.dir.file("tl.lst.bak")})
            EXPECT_TRUE(!fs::is_regular_file(file) || fs::status(file).permissions() == fs::perms(0640)) << file;
    }
}

TEST(Player, ShuffleDrawsAnyTrackOncePerPress)
{
    {
        Rig large(std::vector<std::string>(2000, "01:00")); // ends before the next run takes the lock
        large.run("S load");
        EXPECT_NE(large.state.list.current, 0) << "a shuffled start draws its track (fails once in 2000 runs)";
    }
    Rig rig(std::vector<std::string>(5, "01:00"));
    const auto plays = [&rig] { // the tracks played since the calls were forgotten
        std::string plays;
        for (auto at = rig.view.calls.find("play "); at != std::string::npos; at = rig.view.calls.find("play ", at + 1))
            plays += rig.view.calls[at + 5];
        return plays;
    };
    rig.run("S load | n100");
    const std::string drawn = plays();
    EXPECT_EQ(std::set(drawn.begin(), drawn.end()), (std::set{'1', '2', '3', '4', '5'}));
    EXPECT_NE(std::ranges::adjacent_find(drawn), drawn.end()) << "shuffle may pick the track that is playing";

    // Next presses queued behind a change: one change, one draw per press.
    rig.state.random.seed(3);
    rig.run("| @n @n n");
    rig.state.random.seed(3);
    const int first = rig.player->randomIndex(), second = rig.player->randomIndex(), third = rig.player->randomIndex();
    ASSERT_NE(second, third);
    EXPECT_EQ(plays(), std::to_string(first + 1) + std::to_string(third + 1));
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

// Steps: typed text ("+N": N ms pass first), ">" F3, "<" Shift+F3, each from the row found last; the rows found.
TEST(TrackFinder, FindsTitlesAsAJapaneseReaderMatchesThemFromTheCurrentRowOn)
{
    TrackList list;
    for (const auto &[game, music] : std::vector<std::pair<std::string, std::string>>{
             {"Star Sea", "Morning"}, {"ガイア", "はじまり"}, {"ヴァルキリー", "ﾊﾟｰﾃｨｰ"}, {"ＡＢＣ Ｗｏｒｌｄ", "Harbour"},
             {"Star", "End"}})
        list.addRecord(Track{0, game, "", "", {}, music});
    struct Case
    {
        const char *name;
        std::string steps, expected;
    };
    const Case cases[] = {
        {"any case; a second's pause goes on, a longer one starts anew; none found stays", "MO +1000 n +1001 H",
         "0 - 3"},
        {"no match runs from one title into the next", "seamo", "-"},
        {"full-width and half-width letters match", "abc +1001 ｈａｒ +1001 ｓｔａｒ", "3 3 4"},
        {"hiragana and katakana match; half-width sound marks join, typed alone too",
         "ハジマリ +1001 がいあ +1001 ぱーてぃー +1001 ｳ ﾞ ｧ +1001 ｶﾞ", "1 1 2 - 2 2 1"},
        {"F3 and Shift+F3 wrap; nothing typed finds nothing", "> star > > < < +1001 e <", "- 0 4 0 4 0 0 4"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TrackFinder finder;
        finder.index(list);
        std::chrono::milliseconds now{0};
        int row = 0;
        std::string found;
        std::istringstream steps(c.steps);
        for (std::string step; steps >> step;) {
            if (step[0] == '+') {
                now += std::chrono::milliseconds(std::stoi(step));
                continue;
            }
            const bool again = step == ">" || step == "<";
            const int next = again ? finder.findAgain(step == ">", row) : finder.findTyped(step, row, now);
            found += (found.empty() ? "" : " ") + (next < 0 ? "-" : std::to_string(next));
            row = next < 0 ? row : next;
        }
        EXPECT_EQ(found, c.expected);
    }
}

TEST(Lifecycle, UnreadLinesAreShownOnceTheFirst20ByNumber)
{
    Rig rig({"01:00"});
    for (int i = 0; i < 25; ++i)
        std::ofstream(rig.dir.file("tl.lst"), std::ios::app) << "broken line\r\n";
    rig.run("load");
    const std::string &calls = rig.view.calls;
    EXPECT_TRUE(calls.find("message ") == calls.rfind("message ")) << "one message";
    EXPECT_LT(calls.find("play 1"), calls.find("message ")) << "shown once the first track was ordered";
    for (const char *piece : {"\n2 行目", "\n21 行目", "ほか 5 行", "22 行目"}) // all but the last are shown
        EXPECT_EQ(calls.find(piece) == std::string::npos, piece[0] == '2') << piece;
    // Each line's reason is in Japanese, as the rest of the message is.
    const std::size_t reasons = calls.find("\n2 行目");
    EXPECT_FALSE(std::regex_search(calls.substr(reasons, calls.find("; ", reasons) - reasons), std::regex("[A-Za-z]")));
}

} // namespace
