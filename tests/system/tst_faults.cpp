// Faults a user can run into, with the real platform layer and the stand-ins:
// each one ends with a clear message within its time limit, never a hang, and
// the list on disk is never damaged.

#include "answeredwindow.h"
#include "app/playerstate.h"
#include "app/savefile.h"
#include "app/singleinstance.h"
#include "emulator/platform_posix.h"
#include "journal.h"
#include "scopedenv.h"
#include "player/lifecycle.h"
#include "player/player.h"
#include "xvfb.h"

#include <QApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

const EmulatorLimits kShortLimits{3s, 2s, 20ms};

struct RecordingDialogs : UserDialogs
{
    void showExclamation(const std::string &text) override { shown.push_back(text); }
    bool askYesNo(const std::string &) override { return answerYes; }
    std::vector<std::string> shown;
    bool answerYes = true;
};

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeScript(const std::string &path, const std::string &body)
{
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

class FaultTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (const std::string missing = XvfbServer::missingTool(WindowManager::None); !missing.empty())
            GTEST_SKIP() << missing;
        ASSERT_EQ(m_xvfb.start(WindowManager::None), "");
        std::ofstream(m_dir.file("tl.ini")) << "[config]\nDefaultPlayTime=180\nHootInitWaitTime=0\nDriverInitWaitTime=0\n";
        std::ofstream(m_dir.file("tl.lst"), std::ios::binary) << kList;
        std::filesystem::create_directory(m_bin);
    }

    // Only the named programs on PATH: the stand-ins by their names, or
    // scripts standing in for broken ones.
    void pathWith(const std::vector<std::string> &standins)
    {
        for (const std::string &name : standins)
            std::filesystem::create_symlink(std::string(std::getenv("TUNELARK_STANDIN_DIR")) + "/" + name,
                                            m_bin + "/" + name);
        m_path.reset(); // the old PATH comes back before it is replaced
        m_path = std::make_unique<ScopedEnv>("PATH", m_bin + ":/usr/bin:/bin");
    }

    // Start-up with short time limits; the message it showed, if any, and how long it took.
    std::pair<std::string, qint64> startUp()
    {
        m_lifecycle = std::make_unique<ProgramLifecycle>(m_player, m_platform, m_dialogs, EventPumps{[] {}, [] {}},
                                                         m_dir.path(), kShortLimits);
        QElapsedTimer clock;
        clock.start();
        const bool started = m_lifecycle->start();
        const qint64 elapsed = clock.elapsed();
        EXPECT_EQ(started, m_dialogs.shown.empty());
        return {m_dialogs.shown.empty() ? std::string() : m_dialogs.shown.front(), elapsed};
    }

    static constexpr const char *kList = "01:00,\"Alpha\",\"m\",\"s\",1,\"One\"\r\n01:00,\"Beta\",\"m\",\"s\",2,\"Two\"\r\n";

    TempDir m_dir;
    std::string m_bin = m_dir.file("bin");
    ScopedEnv m_runtimeDir{"XDG_RUNTIME_DIR", m_dir.path()};
    ScopedEnv m_journal{"HOOT_STANDIN_JOURNAL", m_dir.file("journal.jsonl")};
    std::unique_ptr<ScopedEnv> m_path;
    XvfbServer m_xvfb;
    PosixPlatform m_platform; // closes its X connection before the server goes
    RecordingDialogs m_dialogs;
    PlayerState m_player;
    std::unique_ptr<ProgramLifecycle> m_lifecycle;
};

TEST_F(FaultTest, StartUpFailuresGiveTheirMessageInTime)
{
    struct Case
    {
        const char *name;
        std::vector<std::string> standins;
        std::function<void(const std::string &bin)> arrange;
        std::string message;
        qint64 limitMs;
    };
    const std::vector<Case> cases = {
        {"hoot.exe missing", {"hootclient"}, {}, "hoot.exe を起動できません（not found）", 1000},
        {"hootclient missing", {"hoot.exe"}, {}, "hootclient を起動できません（not found）", 3000},
        {"window never appears", {"hootclient"},
         [](const std::string &bin) { writeScript(bin + "/hoot.exe", "exec sleep 100"); },
         "hoot.exe のウィンドウが 3 秒以内に現れませんでした", 4500},
        {"emulator ends before its window, twice", {"hootclient"},
         [](const std::string &bin) { writeScript(bin + "/hoot.exe", "exit 1"); }, "hoot.exe がウィンドウを開く前に終了しました",
         1500},
        {"client hangs", {"hoot.exe", "hootclient"},
         [](const std::string &) { setenv("HOOT_STANDIN_HANG", "1", 1); }, "hootclient が 2 秒以内に終了しなかったため", 5000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(m_bin);
        std::filesystem::create_directory(m_bin);
        m_dialogs.shown.clear();
        pathWith(c.standins);
        if (c.arrange)
            c.arrange(m_bin);
        const auto [message, elapsed] = startUp();
        unsetenv("HOOT_STANDIN_HANG");
        EXPECT_NE(message.find(c.message), std::string::npos) << message;
        EXPECT_LT(elapsed, c.limitMs);
        EXPECT_EQ(m_platform.findWindow(kHootWindowTitle).search, WindowSearch::NotFound) << "nothing is left running";
        EXPECT_EQ(readFile(m_dir.file("tl.lst")), kList);
        m_lifecycle.reset();
    }
}

TEST_F(FaultTest, EmulatorGoneWhilePlayingIsToldOnceAndTheListStaysSafe)
{
    pathWith({"hoot.exe", "hootclient"});
    AnsweredWindow window(m_player.list, m_dialogs);
    m_lifecycle = std::make_unique<ProgramLifecycle>(m_player, m_platform, m_dialogs, EventPumps{[] {}, [] {}},
                                                     m_dir.path(), kShortLimits);
    BusyCursor busy(window, [this] { return m_platform.now(); });
    Player player(window, m_player, *m_lifecycle, busy);
    window.connectPlayer(player);
    ASSERT_TRUE(player.load());
    const ProcessId emulator = m_lifecycle->emulator().state().startedProcess;
    ASSERT_GT(emulator, 0);

    kill(static_cast<pid_t>(emulator), SIGKILL);
    player.tick(); // a whole second played: the press stores it
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 3; ++i)
        player.storeTime();
    EXPECT_LT(clock.elapsed(), 3000) << "no order waits for an emulator that is gone";
    ASSERT_EQ(m_dialogs.shown.size(), 1u) << "told once";
    EXPECT_NE(m_dialogs.shown[0].find("hoot のウィンドウが見つかりません"), std::string::npos) << m_dialogs.shown[0];

    window.close();
    EXPECT_NE(readFile(m_dir.file("tl.lst")), kList) << "the stored times were saved";
    EXPECT_EQ(readFile(m_dir.file("tl.lst.bak")), kList);
}

// Fills the file system that holds `filler` but for `freeBytes`.
void fillUpTo(const std::string &filler, off_t freeBytes)
{
    const int fd = open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const std::string page(4096, 'f');
    off_t size = 0;
    for (ssize_t written; (written = write(fd, page.data(), page.size())) > 0;)
        size += written;
    close(fd);
    std::filesystem::resize_file(filler, size - freeBytes);
}

TEST(SaveFaults, FailedSaveLeavesBothFilesAsTheyWereUntilTriedAgain)
{
    struct Case
    {
        const char *name;
        std::size_t newSize;
        off_t freeBytes;
        const char *inUse = nullptr; // a file that cannot be replaced: something is mounted on it
    };
    const std::vector<Case> cases = {
        {"1 kB on a full disk", 1000, 0},
        {"1 kB with one free page", 1000, 4096},
        {"50 kB on a full disk", 50000, 0},
        {"50 kB with room for the backups only", 50000, 2 * 4096},
        {"the backup cannot be replaced", 1000, 64 * 1024, "tl.lst.bak"},
        {"the list cannot be replaced once the backup was", 1000, 64 * 1024, "tl.lst"},
    };
    TempDir dir;
    const std::string disk = dir.file("disk");
    std::filesystem::create_directory(disk);
    if (mount("tunelark", disk.c_str(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "no small file system of its own (needs root): " << std::strerror(errno);
    const std::unique_ptr<const char, void (*)(const char *)> unmount(disk.c_str(),
                                                                     [](const char *path) { umount2(path, MNT_DETACH); });
    const std::string list = disk + "/tl.lst";
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream(list, std::ios::binary | std::ios::trunc) << std::string(1000, 'o');
        std::ofstream(list + ".bak", std::ios::binary | std::ios::trunc) << std::string(1000, 'b');
        const std::string inUse = c.inUse ? disk + "/" + c.inUse : std::string();
        if (c.inUse) {
            std::filesystem::copy_file(inUse, dir.file("in-use"), std::filesystem::copy_options::overwrite_existing);
            ASSERT_EQ(mount(dir.file("in-use").c_str(), inUse.c_str(), nullptr, MS_BIND, nullptr), 0);
        }
        fillUpTo(disk + "/filler", c.freeBytes);
        const std::string listBefore = readFile(list), backupBefore = readFile(list + ".bak");
        const std::string fresh(c.newSize, 'n');

        EXPECT_FALSE(saveFileAtomically(list, fresh));
        EXPECT_EQ(readFile(list), listBefore);
        EXPECT_EQ(readFile(list + ".bak"), backupBefore);

        // Space freed, the mount gone, and the leftovers of a killed save lying about.
        std::filesystem::remove(disk + "/filler");
        if (c.inUse)
            umount2(inUse.c_str(), MNT_DETACH);
        std::ofstream(list + ".tmp-Ab12Cd") << "half";
        std::ofstream(list + ".bak.tmp-Ab12Cd") << "half";
        const Result<void> saved = saveFileAtomically(list, fresh);
        EXPECT_TRUE(saved) << saved.error().message;
        EXPECT_EQ(readFile(list), fresh);
        EXPECT_EQ(readFile(list + ".bak"), listBefore);
        std::set<std::string> names;
        for (const auto &entry : std::filesystem::directory_iterator(disk))
            names.insert(entry.path().filename().string());
        EXPECT_EQ(names, (std::set<std::string>{"tl.lst", "tl.lst.bak"}));
    }
}

TEST(SaveFaults, KilledInTheMiddleLeavesOldOrNewNeverAMix)
{
    TempDir dir;
    const std::string path = dir.file("tl.lst");
    const std::string old(4 << 20, 'o');
    const std::string fresh(4 << 20, 'n');
    for (int round = 0; round < 12; ++round) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << old;
        const pid_t child = fork();
        if (child == 0) {
            (void)saveFileAtomically(path, fresh);
            _exit(0);
        }
        usleep(static_cast<useconds_t>(2000 * round));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const std::string now = readFile(path);
        EXPECT_TRUE(now == old || now == fresh) << "round " << round << ": " << now.size() << " bytes";
    }
}

TEST(SingleInstanceFaults, OneRunPerDisplayAndAKilledRunDoesNotBlockTheNextStart)
{
    struct Case
    {
        const char *firstDisplay;
        const char *secondDisplay;
        bool sameDisplay;
    };
    for (const Case &c : {Case{":57", ":57", true}, Case{":57", ":57.0", true}, Case{"host:57.1", "host:57", true},
                          Case{":57", ":58", false}}) {
        SCOPED_TRACE(std::string(c.firstDisplay) + " then " + c.secondDisplay);
        TempDir dir;
        ScopedEnv runtimeDir("XDG_RUNTIME_DIR", dir.path());
        std::optional<ScopedEnv> display(std::in_place, "DISPLAY", c.firstDisplay);
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        if (child == 0) {
            SingleInstance first;
            const char answer = first.acquire() ? 'y' : 'n';
            (void)!write(ready[1], &answer, 1);
            pause();
            _exit(0);
        }
        char answer = 0;
        ASSERT_EQ(read(ready[0], &answer, 1), 1);
        EXPECT_EQ(answer, 'y');
        display.emplace("DISPLAY", c.secondDisplay);
        {
            SingleInstance second;
            EXPECT_EQ(second.acquire(), !c.sameDisplay) << "refused only while the first one runs on that display";
        }
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        close(ready[0]);
        close(ready[1]);
        SingleInstance next;
        EXPECT_TRUE(next.acquire()) << "the killed run's lock is taken over";
    }
}

} // namespace
