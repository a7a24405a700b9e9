#include "emulator/emulator.h"
#include "emulator/platform_posix.h"

#include "scopedenv.h"
#include "standinemulator.h"
#include "xvfb.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

using namespace std::chrono_literals;

static std::string readFile(const std::string &path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

class PlatformWindowTest : public testing::TestWithParam<WindowManager>
{
protected:
    void SetUp() override
    {
        if (const std::string missing = XvfbServer::missingTool(GetParam()); !missing.empty())
            GTEST_SKIP() << missing;
        ASSERT_EQ(m_xvfb.start(GetParam()), "");
    }

    TempDir m_dir;
    XvfbServer m_xvfb;
};

TEST_P(PlatformWindowTest, FindsTheEmulatorWindowByItsExactTitle)
{
    // One platform across the emulator's start: a window mapped after the
    // first lookup must still be seen.
    PosixPlatform platform;
    EXPECT_EQ(platform.findWindow(kHootWindowTitle).search, WindowSearch::NotFound);

    StandinEmulator emulator;
    ASSERT_EQ(emulator.start(m_dir.file("hoot.out")), "");
    ASSERT_TRUE(emulator.waitForWindow(10s)) << readFile(m_dir.file("hoot.out"));

    const struct
    {
        const char *name;
        std::string title;
        WindowSearch expected;
    } cases[] = {
        {"exact title", kHootWindowTitle, WindowSearch::Found},
        {"other letter case", "hoot... - sound hardware emulator", WindowSearch::NotFound},
        {"prefix of the title", "hoot...", WindowSearch::NotFound},
        {"title with a trailing blank", std::string(kHootWindowTitle) + " ", WindowSearch::NotFound},
    };
    for (const auto &c : cases)
        EXPECT_EQ(platform.findWindow(c.title).search, c.expected) << c.name;

    emulator.stop();
    EXPECT_EQ(platform.findWindow(kHootWindowTitle).search, WindowSearch::NotFound);
}

TEST_P(PlatformWindowTest, FindsAWindowNamedOnlyByWmName)
{
    // xmessage (Xt) sets WM_NAME as a Latin-1 STRING and no _NET_WM_NAME.
    if (!onPath("xmessage"))
        GTEST_SKIP() << "xmessage is not installed";
    ChildProcess message;
    ASSERT_EQ(message.start({"xmessage", "-title", "Café hoot", "x"}), "");
    PosixPlatform platform;
    WindowSearch search = WindowSearch::NotFound;
    for (const auto deadline = platform.now() + 10s; search != WindowSearch::Found && platform.now() < deadline;) {
        platform.pause(20ms, {});
        search = platform.findWindow("Café hoot").search;
    }
    EXPECT_EQ(search, WindowSearch::Found);
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, PlatformWindowTest, testing::Values(WindowManager::None, WindowManager::Openbox),
                         [](const auto &info) { return info.param == WindowManager::None ? "bare" : "openbox"; });

TEST(Platform, NoDisplayWithoutDisplay)
{
    ScopedEnv noDisplay("DISPLAY", std::nullopt);
    PosixPlatform platform;
    EXPECT_EQ(platform.findWindow(kHootWindowTitle).search, WindowSearch::NoDisplay);
}

TEST(Platform, StartFailuresSayWhy)
{
    TempDir dir;
    const std::string plainFile = dir.file("notes.txt");
    std::ofstream(plainFile) << "not a program\n";

    const struct
    {
        const char *name;
        std::string commandLine;
        std::string error;
    } cases[] = {
        {"program missing from PATH", "tunelark-no-such-program override", "not found"},
        {"file without execute permission", plainFile + " x", "not executable"},
        {"empty command line", "", "empty command line"},
        {"blank command line", "   ", "empty command line"},
    };
    PosixPlatform platform;
    for (const auto &c : cases) {
        const StartResult result = platform.startProgram(c.commandLine, ShowStyle::Hidden);
        EXPECT_FALSE(result.ok()) << c.name;
        EXPECT_EQ(result.error, c.error) << c.name;
    }
}

TEST(Platform, WaitReturnsTheExitCode)
{
    ScopedEnv noEmulator("HOOT_STANDIN_SOCKET", "/nonexistent/tunelark-hoot");
    const struct
    {
        const char *name;
        std::string commandLine;
        int exitCode;
    } cases[] = {
        {"normal end", R"(sh -c "exit 0")", 0},
        {"failing program", R"(sh -c "exit 7")", 7},
        {"killed by a signal", R"(sh -c "kill -9 $$")", 128 + 9},
        {"client without an emulator", "hootclient code 18", 3},
    };
    PosixPlatform platform;
    for (const auto &c : cases) {
        const StartResult start = platform.startProgram(c.commandLine, ShowStyle::Hidden);
        ASSERT_TRUE(start.ok()) << c.name << ": " << start.error;
        const WaitResult result = platform.waitForExit(start.pid, 10s, [] {});
        EXPECT_EQ(result.outcome, WaitResult::Outcome::Exited) << c.name;
        EXPECT_EQ(result.exitCode, c.exitCode) << c.name;
        EXPECT_TRUE(platform.hasExited(start.pid)) << c.name;
    }
}

TEST(Platform, WaitRunsThePumpAndNoticesTheEndAtOnce)
{
    ScopedEnv delay("HOOT_STANDIN_DELAY_MS", "300");
    ScopedEnv exitCode("HOOT_STANDIN_EXIT", "0");
    PosixPlatform platform;
    const StartResult start = platform.startProgram("hootclient code 1", ShowStyle::Hidden);
    ASSERT_TRUE(start.ok()) << start.error;
    EXPECT_FALSE(platform.hasExited(start.pid));

    int pumped = 0;
    const auto began = platform.now();
    const WaitResult result = platform.waitForExit(start.pid, 10s, [&] { ++pumped; });
    const auto took = platform.now() - began;
    EXPECT_EQ(result.outcome, WaitResult::Outcome::Exited);
    EXPECT_GE(pumped, 5); // the window stays alive while the client runs
    EXPECT_LT(took, 1500ms);
}

TEST(Platform, WaitStopsAtItsTimeLimit)
{
    ScopedEnv hang("HOOT_STANDIN_HANG", "1");
    PosixPlatform platform;
    const StartResult start = platform.startProgram("hootclient override", ShowStyle::Hidden);
    ASSERT_TRUE(start.ok()) << start.error;

    int pumped = 0;
    const auto began = platform.now();
    const WaitResult result = platform.waitForExit(start.pid, 300ms, [&] { ++pumped; });
    const auto took = platform.now() - began;
    EXPECT_EQ(result.outcome, WaitResult::Outcome::TimedOut);
    EXPECT_GE(took, 300ms);
    EXPECT_LT(took, 2s);
    EXPECT_GE(pumped, 5);
    EXPECT_FALSE(platform.hasExited(start.pid));

    platform.terminate(start.pid);
    EXPECT_TRUE(platform.hasExited(start.pid));
}

TEST(Platform, TerminateEndsEvenAProgramThatIgnoresSigterm)
{
    PosixPlatform platform;
    const StartResult start =
        platform.startProgram(R"(sh -c "trap '' TERM; while :; do sleep 0.1; done")", ShowStyle::Hidden);
    ASSERT_TRUE(start.ok()) << start.error;
    platform.pause(100ms, {}); // let the shell set its trap
    platform.terminate(start.pid);
    EXPECT_TRUE(platform.hasExited(start.pid));
    EXPECT_EQ(platform.waitForExit(start.pid, 0ms, {}).exitCode, 128 + 9);
}

TEST(Platform, ChildInheritsNoDescriptorsBeyondTheStandardOnes)
{
    TempDir dir;
    const int leaked = open("/dev/null", O_RDONLY); // deliberately without O_CLOEXEC
    ASSERT_GE(leaked, 3);
    const std::string listing = dir.file("fds.txt");
    PosixPlatform platform;
    const StartResult start = platform.startProgram("sh -c \"ls /proc/$$/fd > " + listing + "\"", ShowStyle::Hidden);
    ASSERT_TRUE(start.ok()) << start.error;
    platform.waitForExit(start.pid, 10s, {});
    close(leaked);

    std::istringstream fds(readFile(listing));
    for (std::string fd; fds >> fd;)
        EXPECT_NE(fd, std::to_string(leaked)) << "descriptor leaked into the child";
}

TEST(Platform, PauseRunsThePumpForAboutTheDuration)
{
    PosixPlatform platform;
    int pumped = 0;
    const auto began = platform.now();
    platform.pause(200ms, [&] { ++pumped; });
    const auto took = platform.now() - began;
    EXPECT_GE(took, 200ms);
    EXPECT_LT(took, 1s);
    EXPECT_GE(pumped, 5);
}
