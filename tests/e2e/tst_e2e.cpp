// The whole player run as a person runs it, one run per user story: a folder
// with tl.lst and tl.ini, Xvfb with openbox, the stand-ins first on PATH,
// clicks and keys through xdotool. Every wait is for a state: journal lines,
// windows by title, messages echoed on standard error, the program's end.

#include "journal.h"
#include "xvfb.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <set>
#include <sstream>

using namespace std::chrono_literals;
using Orders = std::vector<std::vector<std::string>>;

const std::string kSaveQuestion = "演奏時間情報を記録しますか？";
const std::string kHootTitle = "^hoot\\.\\.\\. - Sound Hardware Emulator$";
const std::string kStarSeaSjis = "\x90\xaf\x8a\x43"; // 星海: the client gets it in UTF-8
const std::vector<std::string> kSelectStarSea = {"title=星海", "major=lkfm", "sub=1"};
const std::vector<std::string> kSelectMeadow = {"title=Meadow", "major=lkpsg", "sub=2"};
const Orders kStartRuns = {{"override"}, kSelectStarSea, {"code", "1"}};
const std::string kIni = "[config]\r\nDefaultPlayTime=600\r\nHootInitWaitTime=0\r\nDriverInitWaitTime=0\r\n";
// Two games of two tracks each, no stored times; a hex code marks the list changed as it loads.
const std::string kList = ";two games\r\n,\"" + kStarSeaSjis + "\",\"lkfm\",\"1\",1,\"Morning\"\r\n,\"" + kStarSeaSjis
    + "\",\"lkfm\",\"1\",2,\"Harbour\"\r\n,\"Meadow\",\"lkpsg\",\"2\",0x10,\"Title\"\r\n"
      ",\"Meadow\",\"lkpsg\",\"2\",17,\"Garden\"\r\n";
// Control centres in the window (twips / 15 = pixels); grid rows are 16 pixels, the header first.
const std::string kButtonsY = std::to_string((1800 + 405 / 2) / 15), kNextX = std::to_string((120 + 975 / 2) / 15),
                  kStoreX = std::to_string((1320 + 975 / 2) / 15), kGridX = std::to_string(180 / 15 + 80);
std::string gridRowY(int row)
{
    return std::to_string(2400 / 15 + 16 * row + 8);
}


class E2e : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(m_xvfb.start(true), "");
        std::ofstream(m_dir.file("tl.ini"), std::ios::binary) << kIni;
        std::ofstream(m_dir.file("tl.lst"), std::ios::binary) << kList;
    }

    std::string read(const std::string &name) const { return fileBytes(m_dir.file(name)); }
    Orders journal() const { return readJournal(m_dir.file("journal.jsonl")); }
    bool journalHas(const Orders &runs)
    {
        return waitUntil([&] { return journal().size() >= runs.size(); }) && journal() == runs;
    }
    // The windows xdotool finds, with the arguments given; "W" stands for the main window.
    std::vector<std::string> xdotool(std::vector<std::string> arguments)
    {
        for (std::string &argument : arguments)
            argument = argument == "W" ? m_window : argument;
        arguments.insert(arguments.begin(), "xdotool");
        std::filesystem::remove(m_dir.file("xdotool.out"));
        ChildProcess run;
        EXPECT_EQ(run.start(arguments, m_dir.file("xdotool.out")), "");
        EXPECT_TRUE(run.waitForExit(15s)) << arguments.at(1) << " did not finish";
        std::istringstream out(read("xdotool.out"));
        return {std::istream_iterator<std::string>(out), {}};
    }
    // A window titled like the main one that is not yet known: the main window, then message boxes.
    std::string newWindow()
    {
        std::string found;
        waitUntil([&] {
            for (const std::string &window : xdotool({"search", "--onlyvisible", "--name", "^Tunelark$"}))
                if (m_known.insert(window).second)
                    found = window;
            return !found.empty();
        });
        return found;
    }
    // The texts the program showed in message boxes, in order.
    std::vector<std::string> messages(const std::string &log = "tunelark.log") const
    {
        std::vector<std::string> shown;
        std::istringstream lines(read(log));
        for (std::string line; std::getline(lines, line);)
            if (line.starts_with("tunelark: "))
                shown.push_back(line.substr(10));
        return shown;
    }
    void start(ChildProcess &app, const std::string &log = "tunelark.log")
    {
        ASSERT_EQ(app.start({"env", "-C", m_dir.path(), TUNELARK_BINARY}, m_dir.file(log)), "");
    }
    void startPlaying()
    {
        start(m_app);
        ASSERT_FALSE((m_window = newWindow()).empty()) << read("tunelark.log");
        ASSERT_TRUE(journalHas(kStartRuns)) << read("tunelark.log");
    }
    void answerBox(const std::string &key)
    {
        const std::string box = newWindow();
        ASSERT_FALSE(box.empty()) << "no message box";
        xdotool({"windowactivate", "--sync", box, "key", "--clearmodifiers", key});
    }
    // No --sync on mousemove: it waits forever when the pointer is already there.
    void click(const std::string &x, const std::string &y, const std::vector<std::string> &more = {})
    {
        std::vector<std::string> input{"windowactivate", "--sync", "W", "mousemove", "--window", "W", x, y, "click", "1"};
        input.insert(input.end(), more.begin(), more.end());
        xdotool(input);
    }
    // The close button; the save question answered when one is asked; the player ends with `code`.
    void close(const std::string &answer = {}, int code = 0)
    {
        ASSERT_TRUE(requestWindowClose(std::stoul(m_window)));
        if (!answer.empty()) {
            ASSERT_TRUE(waitUntil([&] { return messages() == std::vector<std::string>{kSaveQuestion}; }));
            answerBox(answer);
        }
        EXPECT_EQ(m_app.waitForExit(15s), code) << read("tunelark.log");
    }

    TempDir m_dir;
    ScopedEnv m_journal{"HOOT_STANDIN_JOURNAL", m_dir.file("journal.jsonl")};
    ScopedEnv m_path{"PATH", std::string(TUNELARK_STANDIN_BIN) + ":" + std::getenv("PATH")};
    ScopedEnv m_qpa{"QT_QPA_PLATFORM", "xcb"};
    XvfbServer m_xvfb;
    ChildProcess m_app; // ends before the display does
    std::string m_window;
    std::set<std::string> m_known;
};

// Started here, the emulator is the player's child; the play time passes, the next track plays;
// nothing changed, so no question at the close, and the emulator ends with the player.
TEST_F(E2e, StartsItsEmulatorAdvancesAndEndsItAtExit)
{
    std::ofstream(m_dir.file("tl.ini"), std::ios::binary) << "[config]\nDefaultPlayTime=1\nHootInitWaitTime=0\n"
                                                             "DriverInitWaitTime=0\n";
    std::ofstream(m_dir.file("tl.lst"), std::ios::binary) << ",\"Meadow\",\"lkpsg\",\"2\",16,\"Title\"\r\n"
                                                             ",\"Meadow\",\"lkpsg\",\"2\",17,\"Garden\"\r\n";
    start(m_app);
    ASSERT_TRUE(journalHas({{"override"}, kSelectMeadow, {"code", "16"}, {"code", "17"}}));
    const std::vector<std::string> hoot = xdotool({"search", "--name", kHootTitle, "getwindowpid"});
    ASSERT_EQ(hoot.size(), 1u);
    const std::string stat = fileBytes("/proc/" + hoot[0] + "/stat");
    EXPECT_TRUE(stat.substr(stat.rfind(") ") + 4).starts_with(std::to_string(m_app.pid()) + " ")) << "the parent";
    m_window = newWindow();
    close();
    EXPECT_TRUE(waitUntil([&] { return xdotool({"search", "--name", kHootTitle}).empty(); }));
    EXPECT_TRUE(messages().empty());
}

// Next, and the grid by double-click, Enter and Space; a second start is refused meanwhile.
TEST_F(E2e, TrackChangesSelectTheGameOnlyWhenItChangesAndASecondStartIsRefused)
{
    ASSERT_NO_FATAL_FAILURE(startPlaying());
    ChildProcess second;
    start(second, "second.log");
    ASSERT_TRUE(waitUntil([&] { return messages("second.log") == std::vector<std::string>{"既に起動されています。"}; }));
    answerBox("Return");
    EXPECT_EQ(second.waitForExit(15s), 1);
    Orders runs = kStartRuns;
    const struct
    {
        std::function<void()> input;
        Orders added;
    } steps[] = {
        {[&] { click(kNextX, kButtonsY); }, {{"code", "2"}}},
        {[&] { click(kNextX, kButtonsY); }, {kSelectMeadow, {"code", "16"}}},
        {[&] { click(kGridX, gridRowY(1), {"mousemove", "--window", "W", kGridX, gridRowY(4), "click", "--repeat", "2", "--delay", "80", "1"}); },
         {{"code", "17"}}},
        {[&] { click(kGridX, gridRowY(2), {"key", "Return"}); }, {kSelectStarSea, {"code", "2"}}},
        {[&] { click(kGridX, gridRowY(3), {"key", "space"}); },
         {kSelectMeadow, {"code", "16"}}},
    };
    for (const auto &step : steps) {
        step.input();
        runs.insert(runs.end(), step.added.begin(), step.added.end());
        ASSERT_TRUE(journalHas(runs)) << testing::PrintToString(journal());
    }
    close("n");
}

class SaveAnswer : public E2e, public testing::WithParamInterface<const char *>
{
};

// The time is stored after two seconds of play, the next track starts; the
// answer at the close decides.
TEST_P(SaveAnswer, StoresTheTimeAndSavesOnlyOnYes)
{
    ASSERT_NO_FATAL_FAILURE(startPlaying());
    const auto played = std::filesystem::last_write_time(m_dir.file("journal.jsonl"));
    waitUntil([&] { return std::filesystem::file_time_type::clock::now() - played > 2500ms; }, 5s);
    click(kStoreX, kButtonsY);
    ASSERT_TRUE(journalHas({{"override"}, kSelectStarSea, {"code", "1"}, {"code", "2"}}));
    close(GetParam());
    if (GetParam() == std::string("n")) {
        EXPECT_EQ(read("tl.lst"), kList);
        EXPECT_FALSE(std::filesystem::exists(m_dir.file("tl.lst.bak")));
        return;
    }
    EXPECT_EQ(read("tl.lst.bak"), kList);
    const std::string saved = read("tl.lst"), times = saved.substr(12, 5);
    EXPECT_TRUE(times >= "00:02" && times < "00:10") << saved; // the comment line stays, then the time
    EXPECT_EQ(saved.substr(0, 12) + saved.substr(17),
              ";two games\r\n,\"" + kStarSeaSjis + "\",\"lkfm\",\"1\",1,\"Morning\"\r\n00:00,\"" + kStarSeaSjis
                  + "\",\"lkfm\",\"1\",2,\"Harbour\"\r\n00:00,\"Meadow\",\"lkpsg\",\"2\",16,\"Title\"\r\n"
                    "00:00,\"Meadow\",\"lkpsg\",\"2\",17,\"Garden\"\r\n");
}

INSTANTIATE_TEST_SUITE_P(E2e, SaveAnswer, testing::Values("y", "n"));

// A changed list, yet a signal ends the run in order without the question:
// the emulator ended, nothing written, exit code 128 + the signal.
TEST_F(E2e, SignalsEndTheRunInOrder)
{
    const struct
    {
        int signal;
        const char *when;
    } cases[] = {{SIGTERM, "playing"}, {SIGINT, "starting up"}, {SIGHUP, "a notice open"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.when);
        std::filesystem::remove(m_dir.file("journal.jsonl"));
        std::filesystem::remove(m_dir.file("tunelark.log"));
        const std::string list = (c.signal == SIGHUP ? ",\"Meadow\",\"lkpsg\",16\r\n" : "") + kList;
        std::ofstream(m_dir.file("tl.lst"), std::ios::binary) << list;
        ScopedEnv slowClient("HOOT_STANDIN_DELAY_MS", c.signal == SIGINT ? "3000" : "0");
        ChildProcess app;
        start(app);
        if (c.signal == SIGHUP)
            ASSERT_TRUE(waitUntil([&] { return messages().size() == 1; })) << read("tunelark.log");
        else
            ASSERT_TRUE(journalHas(c.signal == SIGTERM ? kStartRuns : Orders{{"override"}}));
        kill(app.pid(), c.signal);
        EXPECT_EQ(app.waitForExit(15s), 128 + c.signal) << read("tunelark.log");
        EXPECT_TRUE(waitUntil([&] { return xdotool({"search", "--name", kHootTitle}).empty(); }));
        EXPECT_EQ(read("tl.lst"), list);
        EXPECT_FALSE(std::filesystem::exists(m_dir.file("tl.lst.bak")));
        EXPECT_EQ(messages().size(), c.signal == SIGHUP ? 1u : 0u) << read("tunelark.log");
    }
}
