// The player with the real platform layer and the stand-ins: each fault of the
// fault table shows its message once and in time, leaves nothing running and
// never damages the list; 10,000 track changes leave memory and descriptors flat.

#include "answeredwindow.h"
#include "app/savefile.h"
#include "app/singleinstance.h"
#include "emulator/platform_posix.h"
#include "journal.h"
#include "player/player.h"
#include "qt/qtmainloop.h"
#include "xvfb.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

constexpr const char *kList = "01:00,\"Alpha\",\"m\",\"s\",1,\"One\"\r\n01:00,\"Beta\",\"m\",\"s\",2,\"Two\"\r\n";

struct Dialogs : UserDialogs
{
    void showExclamation(const std::string &text) override { shown += text + "\n"; }
    bool askYesNo(const std::string &) override { return true; }
    std::string shown;
};

// The program's parts joined as main() joins them, in a folder of their own.
struct Rig
{
    explicit Rig(const std::string &list = kList)
    {
        std::ofstream(dir.file("tl.ini")) << "[config]\nDefaultPlayTime=60\nHootInitWaitTime=0\nDriverInitWaitTime=0\n";
        std::ofstream(dir.file("tl.lst"), std::ios::binary) << list;
        window.connectPlayer(player);
    }

    TempDir dir;
    ScopedEnv runtimeDir{"XDG_RUNTIME_DIR", dir.path()}, journal{"HOOT_STANDIN_JOURNAL", dir.file("journal.jsonl")};
    PosixPlatform platform;
    Dialogs dialogs;
    PlayerState state;
    QtMainLoop loop{platform};
    ProgramLifecycle lifecycle{state, platform, loop, dialogs, dir.path(), {3s, 2s, 20ms}};
    AnsweredWindow window{state.list, dialogs};
    Player player{window, state, lifecycle, loop};

    // Runs the main loop until `done` holds, at most `limit`; false if it did not.
    bool runUntil(const std::function<bool()> &done, std::chrono::milliseconds limit = 10s)
    {
        const auto deadline = platform.now() + limit;
        while (!done() && platform.now() < deadline)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        return done();
    }
    bool playing()
    {
        return runUntil([this] { return player.state() != Player::State::Starting
                                     && player.state() != Player::State::Changing; })
            && player.state() == Player::State::Playing;
    }
    void startLifecycle()
    {
        Task<bool> starting = lifecycle.start();
        bool done = false;
        starting.start([&done](bool) { done = true; });
        EXPECT_TRUE(runUntil([&done] { return done; }));
    }
};

// A save on a 256 kB file system filled but for freeBytes, with `inUse`
// unreplaceable (a file mounted on it): it fails and leaves both files.
void saveOnAFullDisk(Rig &rig, std::size_t size, off_t freeBytes, const std::string &inUse = "")
{
    const std::string disk = rig.dir.file("disk"), list = disk + "/tl.lst", filler = disk + "/filler";
    std::filesystem::create_directory(disk);
    if (mount("tunelark", disk.c_str(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "no file system of its own (needs root)";
    std::ofstream(list, std::ios::binary) << kList;
    std::ofstream(list + ".bak", std::ios::binary) << "old";
    if (!inUse.empty())
        mount("/dev/null", (disk + "/" + inUse).c_str(), nullptr, MS_BIND, nullptr);
    std::ofstream(filler, std::ios::binary) << std::string(256 << 10, 'f'); // written until the disk is full
    std::filesystem::resize_file(filler, std::filesystem::file_size(filler) - freeBytes);
    EXPECT_FALSE(saveFileAtomically(list, std::string(size, 'n')));
    if (!inUse.empty())
        umount2((disk + "/" + inUse).c_str(), MNT_DETACH);
    EXPECT_EQ(fileBytes(list) + fileBytes(list + ".bak"), std::string(kList) + "old");
    umount2(disk.c_str(), MNT_DETACH);
}

const std::string kNotOwn = "二重起動を防ぐためのロックを作成できませんでした。\n";

// Starts with the instance lock in `folder` (none: XDG_RUNTIME_DIR unset).
void startLockedIn(Rig &rig, const std::optional<std::string> &folder)
{
    ScopedEnv runtime("XDG_RUNTIME_DIR", folder);
    rig.startLifecycle();
}

TEST(Faults, EachIsToldOnceInTimeAndLeavesTheListAndNothingRunning)
{
    const auto script = [](const std::string &body) {
        return [body](Rig &rig) {
            std::ofstream(rig.dir.file("bin/hoot.exe")) << "#!/bin/sh\n" << body << "\n";
            std::filesystem::permissions(rig.dir.file("bin/hoot.exe"), std::filesystem::perms::owner_all);
            rig.startLifecycle();
        };
    };
    const auto start = [](Rig &rig) { rig.startLifecycle(); };
    const struct
    {
        const char *name;
        std::vector<std::string> standins; // on PATH, alone
        std::function<void(Rig &)> act;
        std::string told; // once; empty: nothing
        std::chrono::milliseconds limit;
        bool saved = false;
    } cases[] = {
        {"hoot.exe missing", {"hootclient"}, start, "hoot.exe を起動できません（見つかりません）。", 1s},
        {"hootclient missing", {"hoot.exe"}, start, "hootclient を起動できません（見つかりません）。", 3s},
        {"window never appears", {"hootclient"}, script("exec sleep 100"),
         "hoot.exe のウィンドウが 3 秒以内に現れませんでした。", 4500ms},
        {"emulator ends before its window, twice", {"hootclient"}, script("exit 1"),
         "hoot.exe がウィンドウを開く前に終了しました。", 1500ms},
        {"a client run hangs", {"hoot.exe", "hootclient"},
         [](Rig &rig) { ScopedEnv hang("HOOT_STANDIN_HANG", "1"); rig.startLifecycle(); },
         "hootclient が 2 秒以内に終了しなかったため", 5s},
        // It played a whole second, the emulator is killed, the time stored three times, the window closed saving.
        {"the emulator disappears while playing: the stored times are kept", {"hoot.exe", "hootclient"},
         [](Rig &rig) {
             rig.player.start();
             ASSERT_TRUE(rig.playing());
             const auto started = static_cast<pid_t>(rig.lifecycle.emulator().state().startedProcess);
             ASSERT_GT(started, 0); // kill(-1) would end every process we may end
             kill(started, SIGKILL);
             ASSERT_TRUE(rig.runUntil([&rig] { return rig.player.elapsedSeconds() >= 1; }));
             for (int press = 0; press < 3; ++press)
                 rig.player.storeTime();
             rig.window.close();
             EXPECT_TRUE(rig.runUntil([&rig] { return rig.player.state() == Player::State::Ended; }));
         },
         "hoot のウィンドウが見つかりません", 15s, true}, // a whole second of play in it
        {"disk full, 1 kB list", {}, [](Rig &rig) { saveOnAFullDisk(rig, 1000, 0); }, "", 5s},
        {"disk full, 50 kB list", {}, [](Rig &rig) { saveOnAFullDisk(rig, 50000, 0); }, "", 5s},
        {"the backup cannot be replaced", {}, [](Rig &rig) { saveOnAFullDisk(rig, 10, 65536, "tl.lst.bak"); }, "",
         5s},
        {"the list cannot be replaced once the backup was", {},
         [](Rig &rig) { saveOnAFullDisk(rig, 10, 65536, "tl.lst"); }, "", 5s},
        {"killed in the middle of a save: the old list or the new", {},
         [](Rig &rig) {
             const std::string path = rig.dir.file("big.lst"), old(4 << 20, 'o'), fresh(4 << 20, 'n');
             for (int round = 0; round < 8; ++round) {
                 std::ofstream(path, std::ios::binary | std::ios::trunc) << old;
                 const pid_t child = fork();
                 if (child == 0)
                     _exit(saveFileAtomically(path, fresh) ? 0 : 1);
                 usleep(static_cast<useconds_t>(3000 * round));
                 kill(child, SIGKILL), waitpid(child, nullptr, 0);
                 EXPECT_TRUE(fileBytes(path) == old || fileBytes(path) == fresh) << round;
             }
         },
         "", 60s}, // under sanitizers on a busy machine the 64 MB of writes take a while
        {"a second start on the same display; a lock left by a run that died", {},
         [](Rig &) {
             for (const auto &[first, second, same] :
                  {std::tuple{":57", ":57.0", true}, {"host:57.1", "host:57", true}, {"unix:57", ":57", true},
                   {":57", "unix:57.0", true}, {":57", ":58", false}, {"host:57", ":57", false}}) {
                 std::optional<ScopedEnv> display(std::in_place, "DISPLAY", first);
                 SingleInstance held;
                 ASSERT_TRUE(held.acquire().value());
                 display.emplace("DISPLAY", second);
                 EXPECT_EQ(SingleInstance().acquire().value(), !same) << first << " " << second;
             }
             int held = -1;
             if (const pid_t child = fork(); child == 0)
                 _exit(SingleInstance().acquire().value() ? 0 : 1); // and never lets go
             else
                 waitpid(child, &held, 0);
             EXPECT_TRUE(held == 0 && SingleInstance().acquire().value()) << "the dead run's lock is taken over";
         },
         "", 5s},
        // A lock in a folder another user may write is no lock: the start is refused with the reason.
        {"the runtime folder is a file", {}, [](Rig &rig) { startLockedIn(rig, rig.dir.file("tl.ini")); }, kNotOwn, 1s},
        {"the runtime folder others may write", {},
         [](Rig &rig) {
             std::filesystem::create_directory(rig.dir.file("shared"));
             std::filesystem::permissions(rig.dir.file("shared"), std::filesystem::perms::all);
             startLockedIn(rig, rig.dir.file("shared"));
         },
         kNotOwn, 1s},
        {"no runtime folder, and another user made the temporary one", {},
         [](Rig &rig) {
             const std::string folder = rig.dir.file("tunelark-" + std::to_string(getuid()));
             std::filesystem::create_directory(folder);
             if (chown(folder.c_str(), getuid() + 1, static_cast<gid_t>(-1)) != 0) // only root gives it away
                 std::filesystem::permissions(folder, std::filesystem::perms::all);
             ScopedEnv temporary("TMPDIR", rig.dir.path());
             startLockedIn(rig, std::nullopt);
         },
         kNotOwn, 1s},
    };
    XvfbServer xvfb;
    ASSERT_EQ(xvfb.start(false), "");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        ScopedEnv path("PATH", rig.dir.file("bin") + ":/usr/bin:/bin");
        std::filesystem::create_directory(rig.dir.file("bin"));
        for (const std::string &name : c.standins)
            std::filesystem::create_symlink(std::string(std::getenv("TUNELARK_STANDIN_DIR")) + "/" + name,
                                            rig.dir.file("bin/" + name));
        const auto began = rig.platform.now();
        c.act(rig);
        EXPECT_LT(rig.platform.now() - began, c.limit);
        const std::string &shown = rig.dialogs.shown;
        const std::size_t first = shown.find(c.told);
        EXPECT_TRUE(c.told.empty() ? shown.empty() : first != std::string::npos && first == shown.rfind(c.told))
            << shown;
        EXPECT_EQ(rig.platform.findWindow(kHootWindowTitle).search, WindowSearch::NotFound) << "left running";
        EXPECT_EQ(fileBytes(rig.dir.file(c.saved ? "tl.lst.bak" : "tl.lst")), kList);
        EXPECT_EQ(std::filesystem::exists(rig.dir.file("tl.lst.bak")), c.saved);
    }
}

// Resident kilobytes and open descriptors.
std::pair<long, long> usage()
{
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    const auto descriptors = std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
    return {resident * sysconf(_SC_PAGESIZE) / 1024, descriptors};
}

// With a fast client every order reaches it, in order. One forgotten entry per
// order once came to some 700 kB.
TEST(LongRun, TenThousandTrackChangesKeepMemoryAndDescriptorsFlat)
{
    XvfbServer xvfb;
    ASSERT_EQ(xvfb.start(false), "");
    std::string list;
    for (int code = 1; code <= 20; ++code)
        list += "01:00,\"長い夜\",\"m\",\"s\"," + std::to_string(code) + ",\"曲 " + std::to_string(code) + "\"\r\n";
    Rig rig(list);
    rig.player.start();
    ASSERT_TRUE(rig.playing());
    std::pair<long, long> warm;
    for (int change = 1; change <= 10000; ++change) {
        rig.player.next();
        ASSERT_TRUE(rig.playing()) << change;
        if (change == 500)
            warm = usage();
    }
    const auto [memory, descriptors] = usage();
    EXPECT_LT(memory - warm.first, 256) << "kB more after 10,000 changes than after 500";
    EXPECT_EQ(descriptors, warm.second);
    EXPECT_EQ(rig.dialogs.shown, "");
    rig.window.close();
    EXPECT_TRUE(rig.runUntil([&rig] { return rig.player.state() == Player::State::Ended; }));
    const auto runs = readJournal(rig.dir.file("journal.jsonl"));
    ASSERT_EQ(runs.size(), 3u + 10000) << "override, selection, first play, changes";
    for (int change = 1; change <= 10000; ++change)
        ASSERT_EQ(runs[2 + change], (std::vector<std::string>{"code", std::to_string(change % 20 + 1)})) << change;
}

} // namespace
