// The whole player run as a person runs it: a folder with tl.lst and tl.ini, Xvfb with openbox, the stand-ins
// first on PATH, clicks and keys through xdotool, the desktop's controls through playerctl on the session bus of
// dbus-run-session. Every wait is for a state: journal lines, windows by title, messages echoed on standard
// error, answers, the program's end.

#include "journal.h"
#include "xvfb.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <sstream>

using namespace std::chrono_literals;
using Orders = std::vector<std::vector<std::string>>;

const std::string kHootTitle = "^hoot\\.\\.\\. - Sound Hardware Emulator$";
const std::string kStarSea = "\x90\xaf\x8a\x43"; // 星海 in Shift-JIS: the client gets it in UTF-8
const std::vector<std::string> kSelectStarSea = {"title=星海", "major=lkfm", "sub=1"};
const std::vector<std::string> kSelectMeadow = {"title=Meadow", "major=lkpsg", "sub=2"};
const Orders kStartRuns = {{"override"}, kSelectStarSea, {"code", "1"}};
// Two games of two tracks each, no stored times; a hex code marks the list changed as it loads.
const std::string kList = ";two games\r\n,\"" + kStarSea + "\",\"lkfm\",\"1\",1,\"Morning\"\r\n,\"" + kStarSea
    + "\",\"lkfm\",\"1\",2,\"Harbour\"\r\n,\"Meadow\",\"lkpsg\",\"2\",0x10,\"Title\"\r\n"
      ",\"Meadow\",\"lkpsg\",\"2\",17,\"Garden\"\r\n";
// Pixels in the window: the Next and Store buttons' row and centres, the grid's column and first row (16 high).
constexpr int kButtonsY = 133, kNextX = 40, kStoreX = 120, kGridX = 92, kFirstRowY = 184;
// The player's end after the close: a bound, not a pace (a sanitizer build on a busy machine is slow).
constexpr auto kExitLimit = 60s;

class E2e : public testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(m_xvfb.start(true), ""); write(600, kList); }
    void write(int playTime, const std::string &list)
    {
        std::ofstream(m_dir.file("tl.ini")) << "[config]\nHootInitWaitTime=0\nDriverInitWaitTime=0\nDefaultPlayTime="
                                            << playTime << "\nNowPlayingFile=now.txt\n";
        std::ofstream(m_dir.file("tl.lst"), std::ios::binary) << list;
    }
    std::string read(const std::string &name) const { return fileBytes(m_dir.file(name)); }
    Orders journal() const { return readJournal(m_dir.file("journal.jsonl")); }
    bool journalHas(const Orders &runs)
    {
        return waitUntil([&] { return journal().size() >= runs.size(); }) && journal() == runs;
    }
    // Runs a tool to its end and gives its output; "W" stands for the main window.
    std::string run(std::vector<std::string> arguments)
    {
        std::ranges::replace(arguments, std::string("W"), m_window);
        ChildProcess tool;
        EXPECT_EQ(tool.start(arguments, m_dir.file("run.out")), "");
        EXPECT_TRUE(tool.waitForExit(15s)) << arguments[0] << " " << arguments[1] << " did not finish";
        return read("run.out");
    }
    // The now-playing file of tl.ini follows the track once its titles are shown, a moment after the client.
    void expectNowPlaying(const std::string &line)
    {
        EXPECT_TRUE(waitUntil([&] { return read("now.txt") == line; })) << read("now.txt");
    }
    bool hootEnds() { return waitUntil([&] { return run({"xdotool", "search", "--name", kHootTitle}).empty(); }); }
    // A window titled like the main one that is not the main one: the main window at first, then a message box.
    std::string newWindow()
    {
        std::string found;
        waitUntil([&] {
            std::istringstream windows(run({"xdotool", "search", "--onlyvisible", "--name", "^Tunelark$"}));
            // The search ignores case: the find tip, named after the program, is no box.
            for (std::string window; windows >> window;)
                found = window != m_window && run({"xdotool", "getwindowname", window}) == "Tunelark\n" ? window : found;
            return !found.empty();
        });
        return found;
    }
    // The texts the program showed in message boxes, a line each.
    std::string told(const std::string &log = "tunelark.log") const
    {
        std::string shown;
        std::istringstream lines(read(log));
        for (std::string line; std::getline(lines, line);)
            shown += line.starts_with("tunelark: ") ? line.substr(10) + "\n" : "";
        return shown;
    }
    void start(ChildProcess &app, const std::string &log = "tunelark.log")
    {
        ASSERT_EQ(app.start({"env", "-C", m_dir.path(), TUNELARK_BINARY}, m_dir.file(log)), "");
    }
    // The key on the message box until the box has gone: a key pressed while the box is still taking the
    // focus (a slow sanitizer build) goes to no one.
    void answerBox(const std::string &key)
    {
        const std::string box = newWindow();
        const auto shown = [&] {
            return run({"xdotool", "search", "--onlyvisible", "--name", "^Tunelark$"}).find(box) != std::string::npos;
        };
        EXPECT_TRUE(waitUntil([&] {
            run({"xdotool", "windowactivate", "--sync", box, "key", key});
            return waitUntil([&] { return !shown(); }, 2s);
        }, 60s)) << "the box stays";
    }
    // No --sync on mousemove: it waits forever when the pointer is already there.
    void click(int x, int y, std::vector<std::string> more = {})
    {
        more.insert(more.begin(), {"xdotool", "windowactivate", "--sync", "W", "mousemove", "--window", "W",
                                   std::to_string(x), std::to_string(y), "click", "1"});
        run(more);
    }
    // As the close button does it: the window manager's Alt+F4.
    void close() { run({"xdotool", "windowactivate", "--sync", "W", "key", "--clearmodifiers", "alt+F4"}); }

    TempDir m_dir;
    ScopedEnv m_journal{"HOOT_STANDIN_JOURNAL", m_dir.file("journal.jsonl")};
    // A lock of its own: players of other runs on this machine never count as a second start.
    ScopedEnv m_runtime{"XDG_RUNTIME_DIR", m_dir.path()};
    ScopedEnv m_path{"PATH", std::string(TUNELARK_STANDIN_BIN) + ":" + std::getenv("PATH")};
    ScopedEnv m_qpa{"QT_QPA_PLATFORM", "xcb"};
    XvfbServer m_xvfb;
    ChildProcess m_app; // ends before the display does
    std::string m_window;
};

// Next, and the grid by double-click, Enter and Space (a double-click below the rows plays nothing), a
// second start on unix:N refused meanwhile; after two seconds of play Store keeps the time and the next track starts;
// typed letters find a row above (wrapping) without playing it, Enter plays it; Ctrl+Enter queues a row without
// playing it, Next plays it and then the row after it; the now-playing file follows
// every change; Yes at the close saves, keeping the old list as the backup, and the now-playing file is emptied.
TEST_F(E2e, TrackChangesSelectTheGameOnlyWhenItChangesStoreTimeAndSave)
{
    start(m_app);
    ASSERT_FALSE((m_window = newWindow()).empty()) << read("tunelark.log");
    ASSERT_TRUE(journalHas(kStartRuns)) << read("tunelark.log");
    expectNowPlaying("星海 - Morning");
    ChildProcess second; // the same display, spelt as its local socket
    ASSERT_EQ(second.start({"env", "-C", m_dir.path(), "DISPLAY=unix" + std::string(std::getenv("DISPLAY")),
                            TUNELARK_BINARY},
                           m_dir.file("second.log")),
              "");
    ASSERT_TRUE(waitUntil([&] { return told("second.log") == "既に起動されています。\n"; }));
    answerBox("Return");
    EXPECT_EQ(second.waitForExit(15s), 1);
    Orders runs = kStartRuns;
    const std::vector<std::string> twice = {"click", "1"}; // a second click: a double-click
    // Input, the orders it adds, the now-playing file after it.
    const std::vector<std::tuple<std::function<void()>, Orders, std::string>> steps = {
        {[&] { click(kNextX, kButtonsY); }, {{"code", "2"}}, "星海 - Harbour"},
        {[&] { click(kNextX, kButtonsY); }, {kSelectMeadow, {"code", "16"}}, "Meadow - Title"},
        {[&] { click(kGridX, kFirstRowY + 16 * 3, twice); }, {{"code", "17"}}, "Meadow - Garden"},
        {[&] { click(kGridX, kFirstRowY + 16 * 6, twice); }, {}, "Meadow - Garden"},
        {[&] { click(kGridX, kFirstRowY + 16, {"key", "Return"}); }, {kSelectStarSea, {"code", "2"}}, "星海 - Harbour"},
        {[&] { click(kGridX, kFirstRowY + 16 * 2, {"key", "space"}); }, {kSelectMeadow, {"code", "16"}},
         "Meadow - Title"},
        {[&] {
             const auto played = std::filesystem::last_write_time(m_dir.file("journal.jsonl"));
             waitUntil([&] { return std::filesystem::file_time_type::clock::now() - played > 2500ms; }, 5s);
             click(kStoreX, kButtonsY);
         },
         {{"code", "17"}}, "Meadow - Garden"},
        {[&] { click(kGridX, kFirstRowY, {"key", "ctrl+Return"}); }, {}, "Meadow - Garden"},
        {[&] { click(kNextX, kButtonsY); }, {kSelectStarSea, {"code", "1"}}, "星海 - Morning"},
        {[&] { click(kNextX, kButtonsY); }, {{"code", "2"}}, "星海 - Harbour"},
        {[&] { click(kGridX, kFirstRowY + 16 * 3, {"type", "hAR"}), run({"xdotool", "key", "Return"}); },
         {{"code", "2"}}, "星海 - Harbour"},
    };
    for (const auto &[input, added, playing] : steps) {
        input();
        runs.insert(runs.end(), added.begin(), added.end());
        ASSERT_TRUE(journalHas(runs)) << testing::PrintToString(journal());
        expectNowPlaying(playing);
    }
    close();
    ASSERT_TRUE(waitUntil([&] { return told() == "演奏時間情報を記録しますか？\n"; })) << told();
    answerBox("y");
    EXPECT_EQ(m_app.waitForExit(kExitLimit), 0) << read("tunelark.log");
    const std::string saved = read("tl.lst");
    const std::size_t at = saved.find(",\"Meadow\"") - 5; // Title's time
    EXPECT_TRUE(saved.substr(at, 5) >= "00:02" && saved.substr(at, 5) < "00:10") << saved;
    EXPECT_EQ(saved.substr(0, at) + saved.substr(at + 5),
              ";two games\r\n00:00,\"" + kStarSea + "\",\"lkfm\",\"1\",1,\"Morning\"\r\n00:00,\"" + kStarSea
                  + "\",\"lkfm\",\"1\",2,\"Harbour\"\r\n,\"Meadow\",\"lkpsg\",\"2\",16,\"Title\"\r\n"
                    "00:00,\"Meadow\",\"lkpsg\",\"2\",17,\"Garden\"\r\n");
    EXPECT_EQ(read("tl.lst.bak"), kList);
    EXPECT_EQ(read("now.txt"), "");
}

// A changed list, yet a signal ends the run in order without the question:
// the emulator ended, nothing written, exit code 128 + the signal.
TEST_F(E2e, SignalsEndTheRunInOrder)
{
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal); // while playing, starting up (a slow client), a notice open (a line not read)
        std::filesystem::remove(m_dir.file("journal.jsonl"));
        const std::string list = (signal == SIGHUP ? ",\"Meadow\",\"lkpsg\",16\r\n" : "") + kList;
        write(600, list);
        ScopedEnv slowClient("HOOT_STANDIN_DELAY_MS", signal == SIGINT ? "3000" : "0");
        start(m_app);
        ASSERT_TRUE(signal == SIGHUP ? waitUntil([&] { return !told().empty(); })
                                     : journalHas(signal == SIGTERM ? kStartRuns : Orders{{"override"}}));
        kill(m_app.pid(), signal);
        EXPECT_EQ(m_app.waitForExit(kExitLimit), 128 + signal) << read("tunelark.log");
        EXPECT_TRUE(hootEnds());
        EXPECT_EQ(read("tl.lst"), list);
        EXPECT_FALSE(std::filesystem::exists(m_dir.file("tl.lst.bak")));
        EXPECT_EQ(std::ranges::count(told(), '\n'), signal == SIGHUP ? 1 : 0) << read("tunelark.log");
    }
}

// A time stored, then the run ends without its close: a signal, or a kill as in a crash or a power cut. The
// next start offers the time kept beside the list: Yes takes it and the close saves it, No drops it; tl.lst is
// never written without a Yes.
TEST_F(E2e, StoredTimesOutliveARunThatEndsWithoutItsClose)
{
    const std::string list = ",\"Meadow\",\"lkpsg\",\"2\",16,\"Title\"\r\n,\"Meadow\",\"lkpsg\",\"2\",17,\"Garden\"\r\n";
    const std::string kept = ",\"Meadow\",\"lkpsg\",\"2\",16,\"Title\"\r\n00:00,\"Meadow\",\"lkpsg\",\"2\",17,\"Garden\"\r\n";
    const Orders played = {{"override"}, kSelectMeadow, {"code", "16"}};
    for (const auto &[signal, yes] : {std::pair{SIGTERM, true}, {SIGKILL, false}}) {
        SCOPED_TRACE(signal);
        write(600, list);
        std::filesystem::remove(m_dir.file("journal.jsonl"));
        start(m_app);
        ASSERT_FALSE((m_window = newWindow()).empty()) << read("tunelark.log");
        ASSERT_TRUE(journalHas(played));
        const auto began = std::filesystem::last_write_time(m_dir.file("journal.jsonl"));
        waitUntil([&] { return std::filesystem::file_time_type::clock::now() - began > 2500ms; }, 5s);
        click(kStoreX, kButtonsY);
        ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(m_dir.file("tl.lst.unsaved")); }));
        ASSERT_GT(m_app.pid(), 0);
        kill(m_app.pid(), signal);
        EXPECT_EQ(m_app.waitForExit(kExitLimit), 128 + signal);
        if (signal == SIGKILL) // after a crash nobody ends the emulator
            run({"xdotool", "search", "--name", kHootTitle, "windowkill"});
        ASSERT_TRUE(hootEnds());
        EXPECT_EQ(read("tl.lst"), list);

        m_window = ""; // its id may come again with the next run's first window
        start(m_app, "again.log");
        ASSERT_TRUE(waitUntil([&] { return !told("again.log").empty(); }));
        EXPECT_EQ(told("again.log"), "前回記録されなかった演奏時間が 1 曲分あります。読み込みますか？\n");
        answerBox(yes ? "y" : "n");
        Orders runs = played;
        runs.push_back({"code", "17"}); // the store moved on
        runs.insert(runs.end(), played.begin(), played.end());
        ASSERT_TRUE(journalHas(runs)) << testing::PrintToString(journal());
        m_window = newWindow();
        close();
        if (yes) {
            ASSERT_TRUE(waitUntil([&] { return told("again.log").ends_with("演奏時間情報を記録しますか？\n"); }));
            answerBox("y");
        }
        EXPECT_EQ(m_app.waitForExit(kExitLimit), 0) << read("again.log");
        const std::string saved = read("tl.lst");
        EXPECT_TRUE(yes ? saved.starts_with("00:0") && saved.substr(5) == kept : saved == list) << saved;
        EXPECT_FALSE(std::filesystem::exists(m_dir.file("tl.lst.unsaved")));
        EXPECT_TRUE(hootEnds());
    }
}

// The desktop's controls on a player started elsewhere with its folder as argument: each query is asked until it
// answers (a change takes a moment), an order answers nothing. The first track keeps 600 s, the second plays the
// default 2 s, held by the loop box, then moves on (wrapping); Previous goes back twice, held by the loop box
// again. The emulator started here is the player's child;
// nothing changed, so no question at the close, and the emulator ends with the player. A folder in the now-playing
// file's place is told once, and playing goes on.
TEST_F(E2e, PlaysThroughDrivenByTheDesktopAndEndsItsEmulatorWithIt)
{
    write(2, "10:00,\"" + kStarSea + "\",\"lkfm\",\"1\",1,\"Morning\"\r\n,\"" + kStarSea
                 + "\",\"lkfm\",\"1\",2,\"Harbour\"\r\n");
    std::filesystem::create_directory(m_dir.file("now.txt"));
    ASSERT_EQ(m_app.start({"env", "-C", "/", TUNELARK_BINARY, m_dir.path()}, m_dir.file("tunelark.log")), "");
    const std::string now = "--format={{status}} {{xesam:album}} {{xesam:title}} {{mpris:length}} {{mpris:trackid}}";
    const std::vector<std::vector<std::string>> steps = {
        {"metadata", now, "Playing 星海 Morning 600000000 '/org/tunelark/track/0'"},
        {"loop", "Track", ""},
        {"next", "", ""},
        {"metadata", now, "Playing 星海 Harbour 2000000 '/org/tunelark/track/1'"},
        {"metadata", "--format={{xesam:title}} {{duration(position)}}", "Harbour 0:04"}, // past its 2 s
        {"loop", "None", ""},
        {"metadata", now, "Playing 星海 Morning 600000000 '/org/tunelark/track/0'"},
        {"loop", "Track", ""},
        {"previous", "", ""},
        {"metadata", now, "Playing 星海 Harbour 2000000 '/org/tunelark/track/1'"},
        {"previous", "", ""},
        {"metadata", now, "Playing 星海 Morning 600000000 '/org/tunelark/track/0'"},
        {"shuffle", "On", ""},
        {"shuffle", "", "On"},
    };
    for (const auto &step : steps) {
        std::vector<std::string> command{"playerctl", "--player=tunelark", step[0], step[1]};
        std::erase(command, "");
        std::string answer;
        EXPECT_TRUE(waitUntil([&] {
            answer = run(command);
            return answer.substr(0, answer.find('\n')) == step[2];
        })) << step[0] << " " << step[1] << ": " << answer;
    }
    EXPECT_TRUE(journalHas(
        {{"override"}, kSelectStarSea, {"code", "1"}, {"code", "2"}, {"code", "1"}, {"code", "2"}, {"code", "1"}}));
    const int hoot = std::stoi(run({"xdotool", "search", "--name", kHootTitle, "getwindowpid"}));
    EXPECT_EQ(std::stoi(run({"ps", "-o", "ppid=", "-p", std::to_string(hoot)})), m_app.pid());
    m_window = newWindow();
    close();
    EXPECT_EQ(m_app.waitForExit(kExitLimit), 0) << read("tunelark.log");
    EXPECT_TRUE(hootEnds());
    EXPECT_EQ(told(), "now-playing file not written: " + m_dir.file("now.txt") + ": Is a directory\n");
}

// With a client that takes over a second, input during a change is queued and carried out afterwards: a
// second Space plays the row it was pressed on, not the next track. Tab leaves the grid for 次曲演奏 without
// moving the current row; a right double-click plays nothing.
TEST_F(E2e, InputDuringAChangeWaitsForItAndTabLeavesTheGrid)
{
    ScopedEnv slowClient("HOOT_STANDIN_DELAY_MS", "1200");
    start(m_app);
    ASSERT_FALSE((m_window = newWindow()).empty()) << read("tunelark.log");
    ASSERT_TRUE(journalHas(kStartRuns)) << read("tunelark.log");
    Orders runs = kStartRuns;
    const std::vector<std::pair<std::function<void()>, Orders>> steps = { // input, the orders it adds
        {[&] { click(kGridX, kFirstRowY + 16 * 3, {"key", "space", "space"}); },
         {kSelectMeadow, {"code", "17"}, {"code", "17"}}},
        {[&] { click(kGridX, kFirstRowY + 16 * 2, {"key", "Tab", "space"}); }, {kSelectStarSea, {"code", "1"}}},
        {[&] {
             run({"xdotool", "mousemove", "--window", "W", std::to_string(kGridX), std::to_string(kFirstRowY + 16),
                  "click", "--repeat", "2", "3"});
             click(kNextX, kButtonsY);
         },
         {{"code", "2"}}},
    };
    for (const auto &[input, added] : steps) {
        input();
        runs.insert(runs.end(), added.begin(), added.end());
        ASSERT_TRUE(journalHas(runs)) << testing::PrintToString(journal());
    }
    close();
    ASSERT_TRUE(waitUntil([&] { return told() == "演奏時間情報を記録しますか？\n"; })) << told();
    answerBox("n");
    EXPECT_EQ(m_app.waitForExit(kExitLimit), 0) << read("tunelark.log");
    EXPECT_EQ(read("tl.lst"), kList);
}
