// The emulator control with the real platform, the stand-in emulator and the
// stand-in client, under a private X server.

#include "emulator/emulator.h"
#include "emulator/platform_posix.h"

#include "journal.h"
#include "scopedenv.h"
#include "standinemulator.h"
#include "xvfb.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using Runs = std::vector<std::vector<std::string>>;

static Track track(std::string title, std::string major, std::string sub, std::int64_t code)
{
    Track record;
    record.gameTitle = std::move(title);
    record.major = std::move(major);
    record.sub = std::move(sub);
    record.code = TrackCode::fromWhole(code).value();
    return record;
}

class EmulatorStandinTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (const std::string missing = XvfbServer::missingTool(WindowManager::None); !missing.empty())
            GTEST_SKIP() << missing;
        ASSERT_EQ(m_xvfb.start(WindowManager::None), "");
    }

    void startEmulatorByHand()
    {
        ASSERT_EQ(m_emulator.start(m_dir.file("hoot.out")), "");
        ASSERT_TRUE(m_emulator.waitForWindow(10s));
    }

    Emulator control(EmulatorLimits limits = {10s, 5s, 20ms})
    {
        return Emulator(m_platform, m_settings, {[] {}, [] {}}, limits);
    }

    Runs journal() const { return readJournal(m_dir.file("journal.jsonl")); }

    TempDir m_dir;
    ScopedEnv m_journal{"HOOT_STANDIN_JOURNAL", m_dir.file("journal.jsonl")};
    XvfbServer m_xvfb;
    StandinEmulator m_emulator;
    PosixPlatform m_platform; // closes its X connection before the server goes
    Settings m_settings;
};

TEST_F(EmulatorStandinTest, LaunchesTheEmulatorWhenAbsentAndEndsIt)
{
    Emulator emulator = control();
    ASSERT_TRUE(emulator.attach());
    const ProcessId pid = emulator.state().startedProcess;
    EXPECT_GT(pid, 0);
    EXPECT_EQ(m_platform.findWindow(kHootWindowTitle).search, WindowSearch::Found);
    EXPECT_EQ(journal(), (Runs{{"override"}}));

    emulator.release();
    EXPECT_TRUE(m_platform.hasExited(pid));
    // The server drops the window once it notices the closed connection.
    WindowSearch search = WindowSearch::Found;
    for (const auto deadline = m_platform.now() + 5s; search == WindowSearch::Found && m_platform.now() < deadline;) {
        m_platform.pause(10ms, {});
        search = m_platform.findWindow(kHootWindowTitle).search;
    }
    EXPECT_EQ(search, WindowSearch::NotFound);
}

TEST_F(EmulatorStandinTest, FindsARunningEmulatorAndLeavesItRunning)
{
    startEmulatorByHand();
    Emulator emulator = control();
    ASSERT_TRUE(emulator.attach());
    EXPECT_EQ(emulator.state().startedProcess, -1);
    emulator.release();
    EXPECT_TRUE(m_emulator.running());
    EXPECT_EQ(m_emulator.printedOrders(), std::vector<std::string>{"hootclient override"});
}

TEST_F(EmulatorStandinTest, ClientGetsTheArgumentsThatWindowsWouldGiveIt)
{
    startEmulatorByHand();
    TrackList store;
    // A quotation mark inside a value goes out unescaped, so the Windows
    // rules end the quoted value there and drop it.
    store.addRecord(track("Foo Bar", "ゲーム", "a\"b", 18));
    store.addRecord(track("Foo Bar", "ゲーム", "a\"b", 2));
    store.addRecord(track("東方 紅魔郷", "th06", "", 7));

    Emulator emulator = control();
    ASSERT_TRUE(emulator.attach());
    for (std::int32_t index = 0; index < 3; ++index)
        ASSERT_TRUE(emulator.play(store, index)) << index;

    const Runs expected{
        {"override"},
        {"title=Foo Bar", "major=ゲーム", "sub=ab"},
        {"code", "18"},
        {"code", "2"},
        {"title=東方 紅魔郷", "major=th06", "sub="},
        {"code", "7"},
    };
    EXPECT_EQ(journal(), expected);
    EXPECT_EQ(m_emulator.printedOrders().size(), expected.size()) << "every order reached the emulator";
}

TEST_F(EmulatorStandinTest, FailingClientDoesNotStopTheOrders)
{
    startEmulatorByHand();
    TrackList store;
    store.addRecord(track("Foo", "abc", "1", 3));
    Emulator emulator = control();
    ASSERT_TRUE(emulator.attach());

    ScopedEnv failing("HOOT_STANDIN_EXIT", "5");
    EXPECT_TRUE(emulator.play(store, 0));
    EXPECT_EQ(emulator.state().failedClientRuns, 2);
    EXPECT_EQ(emulator.state().lastClientExitCode, 5);
    EXPECT_EQ(journal(), (Runs{{"override"}, {"title=Foo", "major=abc", "sub=1"}, {"code", "3"}}));
}
