// The whole player, run as a person runs it: a folder with tl.lst and tl.ini,
// Xvfb with openbox, the stand-in emulator and client first on PATH, clicks
// and keys through xdotool. What it did is read back from the client journal,
// the files it left and the messages it echoed on standard error.

#include "childprocess.h"
#include "journal.h"
#include "scopedenv.h"
#include "standinemulator.h"
#include "xvfb.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <thread>

using namespace std::chrono_literals;
using Order = std::vector<std::string>;
using Orders = std::vector<Order>;

// Generous for a loaded two-core machine; every wait ends as soon as what it
// waits for is there.
constexpr auto kLimit = 15s;
constexpr auto kPoll = 50ms;

const std::string kSaveQuestion = "演奏時間情報を記録しますか？";
const std::string kHootTitle = "^hoot\\.\\.\\. - Sound Hardware Emulator$";

// Centres of the controls in the window's client area (twips / 15 = pixels).
constexpr int kButtonsY = (1800 + 405 / 2) / 15;
constexpr int kCmdNextX = (120 + 975 / 2) / 15;
constexpr int kCmdGetTimeX = (1320 + 975 / 2) / 15;
// Grid rows, the header row included, are 240 twips high from the grid's top.
constexpr int kGridTextX = 180 / 15 + 80;
static std::string gridRowY(int row)
{
    return std::to_string(2400 / 15 + 16 * row + 8);
}

// 星海 in Shift-JIS, as a list written on Windows holds it; the client
// receives it in UTF-8.
const std::string kStarSeaSjis = "\x90\xaf\x8a\x43";
const Order kSelectStarSea = {"title=星海", "major=lkfm", "sub=1"};
const Order kSelectMeadow = {"title=Meadow", "major=lkpsg", "sub=2"};
const Orders kStartRuns = {{"override"}, kSelectStarSea, {"code", "1"}};

// Two games of two tracks each, none with a stored time; thirdCode "0x10"
// marks the list changed as it loads.
static std::string trackList(const std::string &thirdCode = "16")
{
    return ";two games\r\n"
           ",\""
        + kStarSeaSjis + "\",\"lkfm\",\"1\",1,\"Morning\"\r\n" + ",\"" + kStarSeaSjis
        + "\",\"lkfm\",\"1\",2,\"Harbour\"\r\n" + ",\"Meadow\",\"lkpsg\",\"2\"," + thirdCode + ",\"Title\"\r\n"
        + ",\"Meadow\",\"lkpsg\",\"2\",17,\"Garden\"\r\n";
}

static std::string settings(const std::string &defaultPlayTime = "600")
{
    return "[config]\r\nDefaultPlayTime=" + defaultPlayTime + "\r\nHootInitWaitTime=0\r\nDriverInitWaitTime=0\r\n";
}

template <typename Check>
static bool waitUntil(Check check, std::chrono::milliseconds limit = kLimit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!check()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(kPoll);
    }
    return true;
}

static std::string readFile(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

static std::vector<std::string> words(const std::string &text)
{
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string word; in >> word;)
        out.push_back(word);
    return out;
}

// A zombie has ended too; only its parent has not looked yet.
static bool processGone(const std::string &pid)
{
    const std::string stat = readFile("/proc/" + pid + "/stat");
    const std::size_t end = stat.rfind(") ");
    return end == std::string::npos || stat.at(end + 2) == 'Z';
}

static std::string parentOf(const std::string &pid)
{
    const std::string stat = readFile("/proc/" + pid + "/stat");
    const std::size_t end = stat.rfind(") ");
    return end == std::string::npos ? std::string() : words(stat.substr(end + 2)).at(1);
}

// Milliseconds since the epoch at which each client run began.
static std::vector<long long> journalTimes(const std::string &path)
{
    std::vector<long long> times;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);)
        times.push_back(std::stoll(line.substr(line.rfind("\"ms\":") + 5)));
    return times;
}

class PlayerE2e : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (const std::string missing = XvfbServer::missingTool(WindowManager::Openbox); !missing.empty())
            GTEST_SKIP() << missing;
        if (!onPath("xdotool"))
            GTEST_SKIP() << "xdotool is not installed";
        ASSERT_EQ(m_xvfb.start(WindowManager::Openbox), "");
    }

    void write(const std::string &name, const std::string &bytes)
    {
        std::ofstream(m_dir.file(name), std::ios::binary) << bytes;
    }
    std::string read(const std::string &name) const { return readFile(m_dir.file(name)); }
    Orders journal() const { return readJournal(m_dir.file("journal.jsonl")); }

    // Output of one xdotool run, which XTEST makes look like real input.
    std::string xdotool(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), "xdotool");
        const std::string output = m_dir.file("xdotool.out");
        std::filesystem::remove(output);
        ChildProcess run;
        EXPECT_EQ(run.start(arguments, output), "");
        // Its exit code is left alone: a search that finds nothing ends with 1.
        EXPECT_TRUE(run.waitForExit(kLimit)) << arguments.at(1) << " did not finish";
        return readFile(output);
    }

    std::vector<std::string> visibleTunelarkWindows()
    {
        return words(xdotool({"search", "--onlyvisible", "--name", "^Tunelark$"}));
    }

    // Starts the player in the folder with its output in logName.
    void startApp(ChildProcess &app, const std::string &logName = "tunelark.log")
    {
        ASSERT_EQ(app.start({"env", "-C", m_dir.path(), TUNELARK_BINARY}, m_dir.file(logName)), "");
    }

    // A box already answered may still be listed for a moment.
    void waitForMainWindow()
    {
        ASSERT_TRUE(waitUntil([&] {
            for (const std::string &window : visibleTunelarkWindows()) {
                if (!m_answered.count(window))
                    m_window = window;
            }
            return !m_window.empty();
        })) << "no window; output:\n" << read("tunelark.log");
    }

    // Starts the player and waits for its window and the first track's orders.
    void startPlaying()
    {
        startApp(m_app);
        ASSERT_NO_FATAL_FAILURE(waitForMainWindow());
        ASSERT_EQ(waitForRuns(kStartRuns.size()), kStartRuns);
    }

    // The journal once it holds count runs, or as it is when the limit passes.
    Orders waitForRuns(std::size_t count, std::chrono::milliseconds limit = kLimit)
    {
        waitUntil([&] { return journal().size() >= count; }, limit);
        return journal();
    }

    // The texts the program showed in message boxes, in order.
    std::vector<std::string> messages(const std::string &logName = "tunelark.log") const
    {
        std::vector<std::string> shown;
        std::istringstream log(read(logName));
        for (std::string line; std::getline(log, line);) {
            if (line.rfind("tunelark: ", 0) == 0)
                shown.push_back(line.substr(10));
        }
        return shown;
    }
    bool waitForMessage(const std::string &text, const std::string &logName = "tunelark.log")
    {
        return waitUntil([&] {
            const auto shown = messages(logName);
            return std::find(shown.begin(), shown.end(), text) != shown.end();
        });
    }

    // Answers the newest message box (a window titled like the main one) with
    // a key: "y" and "n" for the question, Return for a notice.
    void answerBox(const std::string &key)
    {
        std::string box;
        ASSERT_TRUE(waitUntil([&] {
            for (const std::string &window : visibleTunelarkWindows()) {
                if (window != m_window && !m_answered.count(window))
                    box = window;
            }
            return !box.empty();
        })) << "no message box";
        m_answered.insert(box);
        xdotool({"windowactivate", "--sync", box, "key", "--clearmodifiers", key});
    }

    // What the window's close button does; asked once more when the player
    // neither ends nor asks within a few seconds.
    void requestClose()
    {
        for (int attempt = 0; attempt < 2; ++attempt) {
            ASSERT_TRUE(requestWindowClose(std::stoul(m_window)));
            const auto reacted = [&] {
                const auto shown = messages();
                return !m_app.running() || std::find(shown.begin(), shown.end(), kSaveQuestion) != shown.end();
            };
            if (waitUntil(reacted, 5s))
                return;
        }
    }

    // Closes the window and answers the save question if one is expected; the
    // player must then end.
    void closeApp(const std::string &answer = {})
    {
        requestClose();
        if (!answer.empty()) {
            ASSERT_TRUE(waitForMessage(kSaveQuestion)) << read("tunelark.log");
            ASSERT_NO_FATAL_FAILURE(answerBox(answer));
        }
        ASSERT_TRUE(m_app.waitForExit(kLimit)) << "still running; output:\n" << read("tunelark.log");
        EXPECT_EQ(*m_app.waitForExit(0ms), 0);
    }

    // No --sync on mousemove: it waits forever when the pointer is already
    // there, and the server keeps the motion ahead of the click anyway.
    void clickAt(int x, int y)
    {
        xdotool({"windowactivate", "--sync", m_window, "mousemove", "--window", m_window, std::to_string(x),
                 std::to_string(y), "click", "1"});
    }

    std::string hootPid()
    {
        return words(xdotool({"search", "--name", kHootTitle, "getwindowpid"})).at(0);
    }

    TempDir m_dir;
    ScopedEnv m_journalEnv{"HOOT_STANDIN_JOURNAL", m_dir.file("journal.jsonl")};
    ScopedEnv m_path{"PATH",
                     std::string(TUNELARK_STANDIN_BIN) + ":" + (std::getenv("PATH") ? std::getenv("PATH") : "")};
    ScopedEnv m_platform{"QT_QPA_PLATFORM", "xcb"};
    XvfbServer m_xvfb;
    ChildProcess m_app; // ends before the display does
    std::string m_window;
    std::set<std::string> m_answered;
};

TEST_F(PlayerE2e, StartsItsEmulatorPlaysTheFirstTrackAndEndsTheEmulatorAtExit)
{
    write("tl.ini", settings());
    write("tl.lst", trackList());
    ASSERT_NO_FATAL_FAILURE(startPlaying());
    const std::string hoot = hootPid();
    EXPECT_EQ(parentOf(hoot), std::to_string(m_app.pid()));

    ASSERT_NO_FATAL_FAILURE(closeApp()); // nothing changed: no question
    EXPECT_TRUE(waitUntil([&] { return processGone(hoot); })) << "the emulator outlived the player";
    EXPECT_EQ(journal(), kStartRuns);
    EXPECT_TRUE(messages().empty());
}

TEST_F(PlayerE2e, LeavesAnEmulatorItFoundRunning)
{
    write("tl.ini", settings());
    write("tl.lst", trackList());
    StandinEmulator emulator;
    ASSERT_EQ(emulator.start(m_dir.file("hoot.log")), "");
    ASSERT_TRUE(emulator.waitForWindow(kLimit));
    ASSERT_NO_FATAL_FAILURE(startPlaying());
    EXPECT_EQ(hootPid(), std::to_string(emulator.pid()));

    ASSERT_NO_FATAL_FAILURE(closeApp());
    EXPECT_TRUE(emulator.running());
    EXPECT_EQ(emulator.printedOrders(), (std::vector<std::string>{"hootclient override",
                                                                  "hootclient title=星海 major=lkfm sub=1",
                                                                  "hootclient code 1"}));
}

TEST_F(PlayerE2e, ChangesTrackOnceTheDefaultPlayTimeHasPassed)
{
    write("tl.ini", settings("1"));
    write("tl.lst", trackList());
    ASSERT_NO_FATAL_FAILURE(startPlaying());
    Orders expected = kStartRuns;
    expected.push_back({"code", "2"});
    ASSERT_EQ(waitForRuns(expected.size(), 6s), expected);

    // A limit of one second ends the track on the second tick, not the first.
    const auto times = journalTimes(m_dir.file("journal.jsonl"));
    EXPECT_GE(times.at(3) - times.at(2), 1900);
    EXPECT_LE(times.at(3) - times.at(2), 5000);
    ASSERT_NO_FATAL_FAILURE(closeApp());
}

TEST_F(PlayerE2e, NextSelectsTheGameOnlyWhenItChanges)
{
    write("tl.ini", settings());
    write("tl.lst", trackList());
    ASSERT_NO_FATAL_FAILURE(startPlaying());
    Orders expected = kStartRuns;

    clickAt(kCmdNextX, kButtonsY);
    expected.push_back({"code", "2"});
    ASSERT_EQ(waitForRuns(expected.size()), expected);

    clickAt(kCmdNextX, kButtonsY);
    expected.push_back(kSelectMeadow);
    expected.push_back({"code", "16"});
    ASSERT_EQ(waitForRuns(expected.size()), expected);
    ASSERT_NO_FATAL_FAILURE(closeApp());
}

struct GridCase
{
    const char *name;
    std::vector<std::string> input; // after the grid's first track row was clicked
    Orders runs;                      // after the start's
};

class GridPick : public PlayerE2e, public ::testing::WithParamInterface<GridCase>
{
};

TEST_P(GridPick, PlaysTheChosenRow)
{
    write("tl.ini", settings());
    write("tl.lst", trackList());
    ASSERT_NO_FATAL_FAILURE(startPlaying());
    std::vector<std::string> input{"windowactivate", "--sync", m_window, "mousemove", "--window", m_window,
                                   std::to_string(kGridTextX), gridRowY(1), "click", "1"};
    for (const std::string &argument : GetParam().input)
        input.push_back(argument == "WINDOW" ? m_window : argument);
    xdotool(input);

    Orders expected = kStartRuns;
    expected.insert(expected.end(), GetParam().runs.begin(), GetParam().runs.end());
    ASSERT_EQ(waitForRuns(expected.size()), expected);
    ASSERT_NO_FATAL_FAILURE(closeApp());
    EXPECT_EQ(journal(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    E2e, GridPick,
    ::testing::Values(
        GridCase{"DoubleClickOnRow4", {"mousemove", "--window", "WINDOW", std::to_string(kGridTextX), gridRowY(4),
                                       "click", "--repeat", "2", "--delay", "80", "1"},
                 {kSelectMeadow, {"code", "17"}}},
        GridCase{"DownThenEnter", {"key", "--delay", "80", "Down", "Return"}, {{"code", "2"}}},
        GridCase{"DownDownThenSpace", {"key", "--delay", "80", "Down", "Down", "space"},
                 {kSelectMeadow, {"code", "16"}}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(PlayerE2e, StoredTimeIsWrittenOnYesWithABackupOfTheOldList)
{
    write("tl.ini", settings());
    const std::string original = trackList();
    write("tl.lst", original);
    ASSERT_NO_FATAL_FAILURE(startPlaying());

    // The count needs real seconds: wait until about two have passed since the
    // first track was ordered.
    const auto started = std::chrono::system_clock::time_point(
        std::chrono::milliseconds(journalTimes(m_dir.file("journal.jsonl")).back()));
    std::this_thread::sleep_until(started + 2800ms);
    clickAt(kCmdGetTimeX, kButtonsY);
    Orders expected = kStartRuns;
    expected.push_back({"code", "2"});
    ASSERT_EQ(waitForRuns(expected.size()), expected);
    ASSERT_NO_FATAL_FAILURE(closeApp("y"));

    EXPECT_EQ(read("tl.lst.bak"), original);
    const std::string saved = read("tl.lst");
    const std::string comment = ";two games\r\n";
    ASSERT_GT(saved.size(), comment.size() + 6);
    const int seconds = saved[comment.size() + 3] == '0' ? saved[comment.size() + 4] - '0' : -1;
    EXPECT_TRUE(saved.rfind(comment + "00:0", 0) == 0 && seconds >= 2 && seconds <= 7) << saved;
    // The comment line stays; every track is written with its time, in Shift-JIS.
    EXPECT_EQ(saved.substr(comment.size() + 5), ",\"" + kStarSeaSjis + "\",\"lkfm\",\"1\",1,\"Morning\"\r\n"
                                   "00:00,\"" + kStarSeaSjis + "\",\"lkfm\",\"1\",2,\"Harbour\"\r\n"
                                   "00:00,\"Meadow\",\"lkpsg\",\"2\",16,\"Title\"\r\n"
                                   "00:00,\"Meadow\",\"lkpsg\",\"2\",17,\"Garden\"\r\n");
}

TEST_F(PlayerE2e, NoLeavesAChangedListAsItWas)
{
    write("tl.ini", settings());
    const std::string original = trackList("0x10");
    write("tl.lst", original);
    ASSERT_NO_FATAL_FAILURE(startPlaying());
    ASSERT_NO_FATAL_FAILURE(closeApp("n"));
    EXPECT_EQ(read("tl.lst"), original);
    EXPECT_FALSE(std::filesystem::exists(m_dir.file("tl.lst.bak")));
}

TEST_F(PlayerE2e, SecondInstanceIsRefusedAndTheFirstPlaysOn)
{
    write("tl.ini", settings());
    write("tl.lst", trackList());
    ASSERT_NO_FATAL_FAILURE(startPlaying());

    ChildProcess second;
    ASSERT_NO_FATAL_FAILURE(startApp(second, "second.log"));
    ASSERT_TRUE(waitForMessage("既に起動されています。", "second.log")) << read("second.log");
    ASSERT_NO_FATAL_FAILURE(answerBox("Return"));
    ASSERT_TRUE(second.waitForExit(kLimit)) << "the second instance did not end";
    EXPECT_EQ(journal(), kStartRuns);
    EXPECT_TRUE(m_app.running());

    clickAt(kCmdNextX, kButtonsY);
    EXPECT_EQ(waitForRuns(kStartRuns.size() + 1).back(), (Order{"code", "2"}));
    ASSERT_NO_FATAL_FAILURE(closeApp());
}

struct RefusedCase
{
    const char *name;
    const char *ini; // nullptr: no tl.ini
    const char *list;
    std::string firstMessage;
};

class RefusedStart : public PlayerE2e, public ::testing::WithParamInterface<RefusedCase>
{
};

TEST_P(RefusedStart, ShowsWhyEndsAndStartsNoEmulator)
{
    const RefusedCase &c = GetParam();
    if (c.ini)
        write("tl.ini", c.ini);
    if (c.list)
        write("tl.lst", c.list);
    startApp(m_app);
    ASSERT_TRUE(waitUntil([&] { return !messages().empty(); })) << read("tunelark.log");
    EXPECT_EQ(messages().front(), c.firstMessage);
    EXPECT_EQ(xdotool({"search", "--name", kHootTitle}), "") << "an emulator was started";
    ASSERT_NO_FATAL_FAILURE(answerBox("Return"));
    ASSERT_TRUE(m_app.waitForExit(kLimit)) << "the refused start did not end";

    EXPECT_EQ(messages().size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(m_dir.file("journal.jsonl")));
    if (c.list) {
        EXPECT_EQ(read("tl.lst"), c.list);
    }
    EXPECT_FALSE(std::filesystem::exists(m_dir.file("tl.lst.bak")));
}

INSTANTIATE_TEST_SUITE_P(
    E2e, RefusedStart,
    ::testing::Values(
        RefusedCase{"MissingList", "[config]\nDefaultPlayTime=600\nHootInitWaitTime=0\nDriverInitWaitTime=0\n",
                    nullptr, "曲リストファイルが見つかりません。"},
        RefusedCase{"BadSettingsBeforeMissingList", "[config]\nDefaultPlayTime=abc\nHootInitWaitTime=0\n",
                    nullptr, "設定ファイル tl.ini の DefaultPlayTime の値「abc」は整数ではありません。"},
        RefusedCase{"BadSettings", "[config]\nDefaultPlayTime=600\nHootInitWaitTime=0\n",
                    ",\"Meadow\",\"lkpsg\",\"2\",0x10,\"Title\"\r\n",
                    "設定ファイル tl.ini に DriverInitWaitTime がありません。"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(PlayerE2e, UnreadableLineIsReportedOnceAndKeptInPlaceOnSave)
{
    write("tl.ini", settings());
    const std::string list = trackList("0x10");
    const std::string bad = ",\"Meadow\",\"lkpsg\",16\r\n";
    const std::size_t third = list.find(",\"Meadow\"");
    write("tl.lst", list.substr(0, third) + bad + list.substr(third));
    startApp(m_app);
    ASSERT_TRUE(waitUntil([&] { return !messages().empty(); })) << read("tunelark.log");
    EXPECT_NE(read("tunelark.log").find("\n4 行目"), std::string::npos) << read("tunelark.log");
    ASSERT_NO_FATAL_FAILURE(answerBox("Return"));

    // Playing goes on from the first track.
    ASSERT_EQ(waitForRuns(kStartRuns.size()), kStartRuns);
    ASSERT_NO_FATAL_FAILURE(waitForMainWindow());
    ASSERT_NO_FATAL_FAILURE(closeApp("y"));
    EXPECT_EQ(messages().size(), 2u); // the report and the save question
    const std::string saved = read("tl.lst");
    const std::size_t badAt = saved.find(bad);
    ASSERT_NE(badAt, std::string::npos) << saved;
    EXPECT_LT(saved.find("\"Harbour\""), badAt);
    EXPECT_GT(saved.find(",16,\"Title\""), badAt);
}

TEST_F(PlayerE2e, FailedSaveIsReportedAndLeavesTheList)
{
    write("tl.ini", settings());
    const std::string original = trackList("0x10");
    write("tl.lst", original);
    // Root writes into read-only folders, so the backup is made to fail: a
    // folder stands where the backup file goes.
    std::filesystem::create_directory(m_dir.file("tl.lst.bak"));
    ASSERT_NO_FATAL_FAILURE(startPlaying());

    requestClose();
    ASSERT_TRUE(waitForMessage(kSaveQuestion));
    ASSERT_NO_FATAL_FAILURE(answerBox("y"));
    ASSERT_TRUE(waitUntil([&] { return messages().size() == 2; })) << read("tunelark.log");
    EXPECT_EQ(messages().back(), "演奏時間情報を記録できませんでした。tl.lst は元のままです。");
    ASSERT_NO_FATAL_FAILURE(answerBox("n")); // not tried again
    ASSERT_TRUE(m_app.waitForExit(kLimit));
    EXPECT_EQ(*m_app.waitForExit(0ms), 2);

    EXPECT_EQ(read("tl.lst"), original);
    EXPECT_TRUE(std::filesystem::is_directory(m_dir.file("tl.lst.bak")));
}

struct SignalCase
{
    const char *name;
    int signalNumber;
    // StartingUp: the first client run is under way; NoticeOpen: start-up
    // shows the report of an unreadable line.
    enum When { Playing, StartingUp, NoticeOpen } when;
};

class EndSignal : public PlayerE2e, public ::testing::WithParamInterface<SignalCase>
{
};

// The list is changed, so a close would ask to save: a signal ends the run
// in order without the question, writes nothing and waits for nobody.
TEST_P(EndSignal, EndsTheEmulatorAndLeavesTheList)
{
    const SignalCase &c = GetParam();
    write("tl.ini", settings());
    const std::string original = (c.when == SignalCase::NoticeOpen ? ",\"Meadow\",\"lkpsg\",16\r\n" : "")
        + trackList("0x10");
    write("tl.lst", original);
    const bool startingUp = c.when == SignalCase::StartingUp;
    ScopedEnv slowClient("HOOT_STANDIN_DELAY_MS", startingUp ? std::optional<std::string>("3000") : std::nullopt);
    const Orders sent = c.when == SignalCase::Playing ? kStartRuns : Orders{{"override"}};
    startApp(m_app);
    if (c.when == SignalCase::NoticeOpen)
        ASSERT_TRUE(waitUntil([&] { return !messages().empty(); })) << read("tunelark.log");
    else
        ASSERT_EQ(waitForRuns(sent.size()), sent) << read("tunelark.log");

    kill(m_app.pid(), c.signalNumber);
    const auto exitCode = m_app.waitForExit(kLimit);
    ASSERT_TRUE(exitCode) << "still running; output:\n" << read("tunelark.log");
    EXPECT_EQ(*exitCode, 128 + c.signalNumber);
    EXPECT_TRUE(waitUntil([&] { return xdotool({"search", "--name", kHootTitle}).empty(); }))
        << "the emulator outlived the player";
    EXPECT_EQ(journal(), sent);
    EXPECT_EQ(read("tl.lst"), original);
    EXPECT_FALSE(std::filesystem::exists(m_dir.file("tl.lst.bak")));
    EXPECT_EQ(messages().size(), c.when == SignalCase::NoticeOpen ? 1u : 0u) << read("tunelark.log");
}

INSTANTIATE_TEST_SUITE_P(E2e, EndSignal,
                         ::testing::Values(SignalCase{"Terminate", SIGTERM, SignalCase::Playing},
                                           SignalCase{"Interrupt", SIGINT, SignalCase::Playing},
                                           SignalCase{"HangUp", SIGHUP, SignalCase::Playing},
                                           SignalCase{"TerminateDuringStartUp", SIGTERM, SignalCase::StartingUp},
                                           SignalCase{"HangUpWhileANoticeIsOpen", SIGHUP, SignalCase::NoticeOpen}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(PlayerE2e, WithoutADisplayEndsWithOneLineAndCode1)
{
    write("tl.ini", settings());
    write("tl.lst", trackList());
    for (const std::optional<std::string> &display : {std::optional<std::string>(), std::optional<std::string>(":4242")}) {
        SCOPED_TRACE(display.value_or("unset"));
        ScopedEnv noDisplay("DISPLAY", display);
        std::filesystem::remove(m_dir.file("nodisplay.log"));
        ChildProcess app;
        ASSERT_NO_FATAL_FAILURE(startApp(app, "nodisplay.log"));
        const auto exitCode = app.waitForExit(kLimit);
        ASSERT_TRUE(exitCode);
        EXPECT_EQ(*exitCode, 1);
        const std::string log = read("nodisplay.log");
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
        EXPECT_EQ(messages("nodisplay.log").size(), 1u) << log;
    }
}
