// Start-up and shut-down against a fake emulator, in a folder of their own.

#include "fakeplatform.h"
#include "app/playerstate.h"
#include "app/savefile.h"
#include "player/lifecycle.h"
#include "scopedenv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <memory>
#include <sstream>

namespace {

const std::string kIni = "[config]\nDefaultPlayTime=120\nHootInitWaitTime=0\nDriverInitWaitTime=0\n";
const std::string kList = "; my list\r\n01:30,\"Alpha\",\"m\",\"s\",18,\"One\"\r\n,\"Beta\",\"m\",\"s\",0x1F,\"Two\"\r\n";

class ScriptedDialogs : public UserDialogs
{
public:
    void showExclamation(const std::string &text) override { shown.push_back(text); }
    bool askYesNo(const std::string &text) override
    {
        asked.push_back(text);
        return answer ? answer(text) : answerYes;
    }
    std::vector<std::string> shown;
    std::vector<std::string> asked;
    bool answerYes = false;
    std::function<bool(const std::string &)> answer; // replaces answerYes when set
};

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeFile(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// One run of the program's start and end, on a fake emulator.
struct ProgramRun
{
    explicit ProgramRun(const std::string &folder) : lifecycle(player, platform, dialogs, platform.pumps(), folder) {}

    FakePlatform platform;
    ScriptedDialogs dialogs;
    PlayerState player;
    ProgramLifecycle lifecycle;
};

class LifecycleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        writeFile(m_dir.file("tl.ini"), kIni);
        writeFile(m_dir.file("tl.lst"), kList);
    }

    std::unique_ptr<ProgramRun> newRun() { return std::make_unique<ProgramRun>(m_dir.path()); }

    TempDir m_dir;
    ScopedEnv m_runtimeDir{"XDG_RUNTIME_DIR", m_dir.path()}; // a private instance lock
};

TEST_F(LifecycleTest, StartLoadsTheListAndBringsUpTheEmulator)
{
    auto run = newRun();
    ASSERT_TRUE(run->lifecycle.start());
    EXPECT_TRUE(run->dialogs.shown.empty());
    EXPECT_EQ(run->player.list.count(), 2);
    EXPECT_EQ(run->player.settings.defaultPlayTime, 120);
    EXPECT_EQ(run->player.list.modified, true) << "a hexadecimal code marks the list changed";
    EXPECT_EQ(run->platform.clientOrders(), std::vector<std::string>{"hootclient override"});
}

TEST_F(LifecycleTest, StartStopsWithOneMessage)
{
    struct Case
    {
        const char *name;
        std::function<void(const TempDir &, ProgramRun &)> arrange;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"missing list", [](const TempDir &dir, ProgramRun &) { std::filesystem::remove(dir.file("tl.lst")); },
         "曲リストファイルが見つかりません。"},
        {"bad tl.ini is read before the list is looked for",
         [](const TempDir &dir, ProgramRun &) {
             std::filesystem::remove(dir.file("tl.lst"));
             writeFile(dir.file("tl.ini"), "[config]\nDefaultPlayTime=abc\n");
         },
         "DefaultPlayTime"},
        {"missing tl.ini", [](const TempDir &dir, ProgramRun &) { std::filesystem::remove(dir.file("tl.ini")); },
         "tl.ini"},
        {"list is a folder",
         [](const TempDir &dir, ProgramRun &) {
             std::filesystem::remove(dir.file("tl.lst"));
             std::filesystem::create_directory(dir.file("tl.lst"));
         },
         "曲リストファイルが見つかりません。"},
        {"emulator cannot be started",
         [](const TempDir &, ProgramRun &run) { run.platform.failStarts("hoot.exe", "not found"); }, "hoot.exe"},
        {"client cannot be started", [](const TempDir &, ProgramRun &run) { run.platform.failStarts("hootclient", "not found"); },
         "hootclient"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        auto run = newRun();
        c.arrange(m_dir, *run);
        const std::string listBefore = readFile(m_dir.file("tl.lst"));
        EXPECT_FALSE(run->lifecycle.start());
        ASSERT_EQ(run->dialogs.shown.size(), 1u);
        EXPECT_NE(run->dialogs.shown[0].find(c.message), std::string::npos) << run->dialogs.shown[0];
        EXPECT_EQ(readFile(m_dir.file("tl.lst")), listBefore);
        // Nothing is left running: an emulator started here was ended again.
        for (const std::string &call : run->platform.calls({"start"})) {
            if (call.starts_with("start [hoot.exe]") && call.find(':') == std::string::npos) {
                EXPECT_EQ(run->platform.calls({"terminate"}), std::vector<std::string>{"terminate [hoot.exe]"});
            }
        }
        std::filesystem::remove_all(m_dir.file("tl.lst"));
    }
}

TEST_F(LifecycleTest, SecondInstanceReadsNothing)
{
    auto first = newRun();
    ASSERT_TRUE(first->lifecycle.start());
    std::filesystem::remove(m_dir.file("tl.ini")); // would fail a second reading

    auto second = newRun();
    EXPECT_FALSE(second->lifecycle.start());
    EXPECT_EQ(second->dialogs.shown, std::vector<std::string>{"既に起動されています。"});
    EXPECT_TRUE(second->platform.calls().empty()) << "no emulator is looked for or started";
    EXPECT_EQ(second->player.list.count(), 0);
}

TEST_F(LifecycleTest, UnreadableLinesAreShownOnceAndKept)
{
    std::string list = "01:00,\"Alpha\",\"m\",\"s\",1,\"One\"\r\n";
    for (int i = 0; i < 25; ++i)
        list += "broken line\r\n";
    writeFile(m_dir.file("tl.lst"), list);
    auto run = newRun();
    ASSERT_TRUE(run->lifecycle.start());
    ASSERT_EQ(run->dialogs.shown.size(), 1u);
    const std::string &message = run->dialogs.shown[0];
    EXPECT_NE(message.find("2 行目"), std::string::npos);
    EXPECT_NE(message.find("21 行目"), std::string::npos);
    EXPECT_EQ(message.find("22 行目"), std::string::npos) << "only the first 20 are named";
    EXPECT_NE(message.find("ほか 5 行"), std::string::npos);
    EXPECT_EQ(run->player.list.count(), 1);

    run->player.list.storePlayTime(42);
    run->dialogs.answerYes = true;
    run->lifecycle.shutDown();
    EXPECT_EQ(readFile(m_dir.file("tl.lst")), "00:42" + list.substr(5)) << "broken lines stay in place";
}

TEST_F(LifecycleTest, EndAsksOnlyForAChangedListAndSavesOnYes)
{
    const std::string unchangedList = "01:30,\"Alpha\",\"m\",\"s\",18,\"One\"\r\n";
    struct Case
    {
        const char *name;
        std::string list;
        bool storeTime;
        bool answerYes;
        bool expectQuestion;
        std::string expectedList;    // empty: the file is left as it was
        std::string editedMeanwhile = {}; // written by another program while playing
        std::filesystem::perms mode = std::filesystem::perms(0644);
    };
    const std::string savedList = "; my list\r\n00:07,\"Alpha\",\"m\",\"s\",18,\"One\"\r\n00:00,\"Beta\",\"m\",\"s\",31,\"Two\"\r\n";
    const std::vector<Case> cases = {
        {"unchanged list: no question", unchangedList, false, true, false, ""},
        {"answer No keeps the file", kList, true, false, true, ""},
        {"answer Yes rewrites keeping comments, codes in decimal", kList, true, true, true, savedList},
        {"hexadecimal code alone asks", kList, false, true, true,
         "; my list\r\n01:30,\"Alpha\",\"m\",\"s\",18,\"One\"\r\n00:00,\"Beta\",\"m\",\"s\",31,\"Two\"\r\n"},
        {"an edit by another program is named before asking and kept as the backup", kList, true, true, true,
         savedList, "; edited elsewhere\r\n" + kList},
        {"the list and its backup keep the list's permissions", kList, true, true, true, savedList, "",
         std::filesystem::perms(0640)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(m_dir.file("tl.lst"), c.list);
        std::filesystem::permissions(m_dir.file("tl.lst"), c.mode);
        std::filesystem::remove(m_dir.file("tl.lst.bak"));
        auto run = newRun();
        ASSERT_TRUE(run->lifecycle.start());
        const std::string onDisk = c.editedMeanwhile.empty() ? c.list : c.editedMeanwhile;
        if (!c.editedMeanwhile.empty())
            writeFile(m_dir.file("tl.lst"), onDisk);
        if (c.storeTime)
            run->player.list.storePlayTime(7);
        run->dialogs.answerYes = c.answerYes;
        run->lifecycle.shutDown();

        EXPECT_EQ(run->dialogs.asked.size(), c.expectQuestion ? 1u : 0u);
        const std::string editNote = "tl.lst は読み込んだ後にほかのプログラムで変更されています。記録すると、いまの "
                                     "tl.lst は tl.lst.bak に残ります。\n\n";
        if (c.expectQuestion) {
            EXPECT_EQ(run->dialogs.asked[0], (c.editedMeanwhile.empty() ? "" : editNote) + "演奏時間情報を記録しますか？");
        }
        EXPECT_EQ(readFile(m_dir.file("tl.lst")), c.expectedList.empty() ? onDisk : c.expectedList);
        if (!c.expectedList.empty()) {
            EXPECT_EQ(readFile(m_dir.file("tl.lst.bak")), onDisk) << "the list on disk is kept beside it";
            for (const char *file : {"tl.lst", "tl.lst.bak"})
                EXPECT_EQ(std::filesystem::status(m_dir.file(file)).permissions(), c.mode) << file;
        }
        EXPECT_TRUE(run->dialogs.shown.empty());
    }
}

TEST_F(LifecycleTest, EmulatorIsEndedAfterTheSaveOnlyWhenStartedHere)
{
    for (const bool alreadyRunning : {false, true}) {
        SCOPED_TRACE(alreadyRunning ? "found running" : "started here");
        auto run = newRun();
        if (alreadyRunning)
            run->platform.windowPresentFromStart();
        ASSERT_TRUE(run->lifecycle.start());
        run->dialogs.answerYes = true;
        run->lifecycle.shutDown();
        EXPECT_EQ(run->platform.calls({"terminate"}).size(), alreadyRunning ? 0u : 1u);
    }
}

TEST_F(LifecycleTest, FailedSaveLeavesTheListIntactAndMayBeTriedAgain)
{
    const std::string backup = m_dir.file("tl.lst.bak");
    for (const bool tryAgain : {false, true}) {
        SCOPED_TRACE(tryAgain ? "tried again once the cause is gone" : "given up");
        // The backup cannot be written (root ignores read-only folders; a
        // folder in its place stops it for everyone).
        std::filesystem::create_directory(backup);
        auto run = newRun();
        ASSERT_TRUE(run->lifecycle.start());
        run->player.list.storePlayTime(99);
        run->dialogs.answer = [&](const std::string &) {
            const bool firstQuestion = run->dialogs.asked.size() == 1;
            if (!firstQuestion && tryAgain)
                std::filesystem::remove(backup);
            return firstQuestion || tryAgain;
        };
        run->lifecycle.shutDown();
        ASSERT_EQ(run->dialogs.asked.size(), 2u);
        EXPECT_EQ(run->dialogs.asked[1], "演奏時間情報を記録できませんでした。tl.lst は元のままです。\n" + backup
                                             + ": Is a directory\n\nもう一度記録しますか？（いいえを選ぶと記録せずに終了します）");
        EXPECT_EQ(readFile(m_dir.file("tl.lst")) == kList, !tryAgain);
        EXPECT_EQ(std::filesystem::is_directory(backup), !tryAgain);
        EXPECT_EQ(run->lifecycle.saveFailed(), !tryAgain) << "a save given up ends the run as failed";
        EXPECT_EQ(run->platform.calls({"terminate"}).size(), 1u) << "the emulator is still stopped";
    }
}

TEST_F(LifecycleTest, SaveThroughALinkKeepsTheLink)
{
    std::filesystem::create_directory(m_dir.file("lists"));
    writeFile(m_dir.file("lists/real.lst"), kList);
    std::filesystem::remove(m_dir.file("tl.lst"));
    std::filesystem::create_symlink("lists/real.lst", m_dir.file("tl.lst"));

    const Result<void> saved = saveFileAtomically(m_dir.file("tl.lst"), "new\r\n");
    ASSERT_TRUE(saved) << saved.error().message;
    EXPECT_TRUE(std::filesystem::is_symlink(m_dir.file("tl.lst")));
    EXPECT_EQ(readFile(m_dir.file("lists/real.lst")), "new\r\n");
    EXPECT_EQ(readFile(m_dir.file("tl.lst.bak")), kList);
}

} // namespace
