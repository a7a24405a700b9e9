// The fault table with the real platform layer and the stand-ins: each fault
// shows its message once and in time, leaves nothing running and never
// damages the list.

#include "answeredwindow.h"
#include "app/playerstate.h"
#include "app/savefile.h"
#include "app/singleinstance.h"
#include "emulator/platform_posix.h"
#include "journal.h"
#include "player/lifecycle.h"
#include "player/player.h"
#include "xvfb.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/wait.h>

using namespace std::chrono_literals;

namespace {

constexpr const char *kList = "01:00,\"Alpha\",\"m\",\"s\",1,\"One\"\r\n01:00,\"Beta\",\"m\",\"s\",2,\"Two\"\r\n";

struct Dialogs : UserDialogs
{
    void showExclamation(const std::string &text) override { shown += text + "\n"; }
    bool askYesNo(const std::string &) override { return true; }
    std::string shown;
};

struct Rig
{
    TempDir dir;
    ScopedEnv runtimeDir{"XDG_RUNTIME_DIR", dir.path()};
    std::optional<ScopedEnv> path;
    PosixPlatform platform;
    Dialogs dialogs;
    PlayerState state;
    ProgramLifecycle lifecycle{state, platform, dialogs, {[] {}, [] {}}, dir.path(), {3s, 2s, 20ms}};
};

// Start-up; then, when it played, the emulator is killed and the time stored
// three times, and the window closed, saving.
void startAndLoseTheEmulator(Rig &rig)
{
    AnsweredWindow window(rig.state.list, rig.dialogs);
    BusyCursor busy(window, [&] { return rig.platform.now(); });
    Player player(window, rig.state, rig.lifecycle, busy);
    window.connectPlayer(player);
    ASSERT_TRUE(player.load());
    kill(static_cast<pid_t>(rig.lifecycle.emulator().state().startedProcess), SIGKILL);
    player.tick(); // a whole second played: a press stores it
    for (int i = 0; i < 3; ++i)
        player.storeTime();
    window.close();
}

// A save on a 256 kB file system filled but for freeBytes, with `inUse`
// unreplaceable (a file mounted on it): it fails and leaves both files.
void saveOnAFullDisk(Rig &rig, std::size_t size, off_t freeBytes, const std::string &inUse)
{
    const std::string disk = rig.dir.file("disk"), list = disk + "/tl.lst", filler = disk + "/filler";
    std::filesystem::create_directory(disk);
    if (mount("tunelark", disk.c_str(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "no file system of its own (needs root)";
    std::ofstream(list, std::ios::binary) << kList;
    std::ofstream(list + ".bak", std::ios::binary) << "old";
    if (!inUse.empty())
        mount("/dev/null", (disk + "/" + inUse).c_str(), nullptr, MS_BIND, nullptr);
    const int fd = open(filler.c_str(), O_WRONLY | O_CREAT, 0600);
    for (const std::string page(4096, 'f'); write(fd, page.data(), page.size()) > 0;) {
    }
    close(fd);
    std::filesystem::resize_file(filler, std::filesystem::file_size(filler) - freeBytes);
    EXPECT_FALSE(saveFileAtomically(list, std::string(size, 'n')));
    if (!inUse.empty())
        umount2((disk + "/" + inUse).c_str(), MNT_DETACH);
    EXPECT_EQ(fileBytes(list) + fileBytes(list + ".bak"), std::string(kList) + "old");
    umount2(disk.c_str(), MNT_DETACH);
}

TEST(Faults, EachIsToldOnceInTimeAndLeavesTheListAndNothingRunning)
{
    const auto script = [](const std::string &body) {
        return [body](Rig &rig) {
            std::ofstream(rig.dir.file("bin/hoot.exe")) << "#!/bin/sh\n" << body << "\n";
            std::filesystem::permissions(rig.dir.file("bin/hoot.exe"), std::filesystem::perms::owner_all);
            rig.lifecycle.start();
        };
    };
    const auto start = [](Rig &rig) { rig.lifecycle.start(); };
    const struct
    {
        const char *name;
        std::vector<std::string> standins; // on PATH, alone
        std::function<void(Rig &)> act;
        std::string told; // once; empty: nothing
        std::chrono::milliseconds limit;
        bool saved = false;
    } cases[] = {
        {"hoot.exe missing", {"hootclient"}, start, "hoot.exe を起動できません（not found）。", 1s},
        {"hootclient missing", {"hoot.exe"}, start, "hootclient を起動できません（not found）。", 3s},
        {"window never appears", {"hootclient"}, script("exec sleep 100"),
         "hoot.exe のウィンドウが 3 秒以内に現れませんでした。", 4500ms},
        {"emulator ends before its window, twice", {"hootclient"}, script("exit 1"),
         "hoot.exe がウィンドウを開く前に終了しました。", 1500ms},
        {"a client run hangs", {"hoot.exe", "hootclient"},
         [](Rig &rig) {
             ScopedEnv hang("HOOT_STANDIN_HANG", "1");
             rig.lifecycle.start();
         },
         "hootclient が 2 秒以内に終了しなかったため", 5s},
        {"the emulator disappears while playing: the stored times are kept", {"hoot.exe", "hootclient"},
         startAndLoseTheEmulator, "hoot のウィンドウが見つかりません", 3s, true},
        {"disk full, 1 kB list", {}, [](Rig &rig) { saveOnAFullDisk(rig, 1000, 0, ""); }, "", 5s},
        {"disk full, 50 kB list", {}, [](Rig &rig) { saveOnAFullDisk(rig, 50000, 0, ""); }, "", 5s},
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
         "", 10s},
        {"a second start on the same display, a lock left by a killed run", {},
         [](Rig &) {
             for (const auto &[first, second, same] : {std::tuple{":57", ":57.0", true}, {"host:57.1", "host:57", true},
                                                       {":57", ":58", false}}) {
                 std::optional<ScopedEnv> display(std::in_place, "DISPLAY", first);
                 int ready[2];
                 ASSERT_EQ(pipe(ready), 0);
                 const pid_t child = fork();
                 if (child == 0) {
                     SingleInstance held; // until killed
                     (void)!write(ready[1], held.acquire() ? "y" : "n", 1);
                     pause();
                 }
                 char answer = 0;
                 EXPECT_TRUE(read(ready[0], &answer, 1) == 1 && answer == 'y');
                 display.emplace("DISPLAY", second);
                 EXPECT_EQ(SingleInstance().acquire(), !same) << first << " " << second;
                 kill(child, SIGKILL), waitpid(child, nullptr, 0);
                 close(ready[0]), close(ready[1]);
                 EXPECT_TRUE(SingleInstance().acquire()) << "the killed run's lock is taken over";
             }
         },
         "", 5s},
    };
    XvfbServer xvfb;
    ASSERT_EQ(xvfb.start(false), "");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        std::ofstream(rig.dir.file("tl.ini")) << "[config]\nDefaultPlayTime=180\nHootInitWaitTime=0\nDriverInitWaitTime=0\n";
        std::ofstream(rig.dir.file("tl.lst"), std::ios::binary) << kList;
        std::filesystem::create_directory(rig.dir.file("bin"));
        for (const std::string &name : c.standins)
            std::filesystem::create_symlink(std::string(std::getenv("TUNELARK_STANDIN_DIR")) + "/" + name,
                                            rig.dir.file("bin/" + name));
        rig.path.emplace("PATH", rig.dir.file("bin") + ":/usr/bin:/bin");
        const auto began = rig.platform.now();
        c.act(rig);
        EXPECT_LT(rig.platform.now() - began, c.limit);
        const std::size_t at = rig.dialogs.shown.find(c.told);
        EXPECT_TRUE(c.told.empty() ? rig.dialogs.shown.empty() : at != std::string::npos
                            && rig.dialogs.shown.find(c.told, at + 1) == std::string::npos)
            << rig.dialogs.shown;
        EXPECT_EQ(rig.platform.findWindow(kHootWindowTitle).search, WindowSearch::NotFound) << "left running";
        EXPECT_EQ(fileBytes(rig.dir.file(c.saved ? "tl.lst.bak" : "tl.lst")), kList);
        EXPECT_EQ(std::filesystem::exists(rig.dir.file("tl.lst.bak")), c.saved);
    }
}

} // namespace
