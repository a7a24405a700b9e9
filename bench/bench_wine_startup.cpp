// Start-up of the Windows program under Wine, timed from Linux as
// bench_window_startup times the Linux one: from starting `wine64
// tunelark.exe` to its window "Tunelark" being viewable, for 1,000 and 100,000
// tracks, against bench_bare_window_win.exe (a 540x434 window with a report
// list view of the list's first rows) started in turns in the same run. The Win32 stand-in
// emulator is up first (so the player only attaches, and the Wine session
// stays up between starts); both pauses are 0. The peak memory is that of the
// wine64 process that runs the program (its Unix process: the program and the
// parts of Wine loaded into it), read when it is reaped. Prints medians and
// the programs' sizes, asserts nothing.
//
// Run by `scripts/windows.sh --bench`, which provides the X server (DISPLAY)
// and the Wine prefix (WINEPREFIX):
//   bench_wine_startup TUNELARK_EXE BARE_EXE STANDIN_FOLDER [runs of each program, default 7]

#include "barewindowtitle.h"
#include "samplelist.h"
#include "scopedenv.h"
#include "windowlaunch.h"

#include "emulator/emulator.h"

#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

using namespace std::chrono_literals;

namespace {

constexpr const char *kWine = "/usr/lib/wine/wine64";

// Starts the stand-in emulator in folder and waits for its window; 0 if it did
// not show. Right after a Wine session ends a start sometimes ends at once
// without a window: it is started once more then, as the player would.
pid_t startEmulator(Display *display, const std::string &folder)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        const pid_t pid = spawnIn(folder, {kWine, folder + "/hoot.exe"}, folder + "/hoot.out");
        if (pid <= 0)
            return 0;
        const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
        const bool shown = waitForViewable(display, kHootWindowTitle, pidfd, std::chrono::steady_clock::now() + 60s)
                               .has_value();
        close(pidfd);
        if (shown)
            return pid;
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    return 0;
}

void printSize(const std::string &path)
{
    std::printf("%s: %.0f kB\n", std::filesystem::path(path).filename().c_str(),
                static_cast<double>(std::filesystem::file_size(path)) / 1024.0);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s TUNELARK_EXE BARE_EXE STANDIN_FOLDER [runs]\n", argv[0]);
        return 2;
    }
    const std::string player = std::filesystem::absolute(argv[1]);
    const std::string bare = std::filesystem::absolute(argv[2]);
    const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 7;
    TempDir folder;
    // The player's folder holds the stand-ins, as a user's holds the emulator:
    // the client is found in the current folder.
    for (const char *name : {"hoot.exe", "hootclient.exe"})
        std::filesystem::copy_file(std::filesystem::path(argv[3]) / name, folder.file(name));
    ScopedEnv noJournal("HOOT_STANDIN_JOURNAL", std::nullopt);
    ScopedEnv quietWine("WINEDEBUG", "-all");

    Display *display = openWatchingDisplay();
    if (!display) {
        std::fprintf(stderr, "cannot open the display '%s'\n", std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
        return 1;
    }
    const pid_t emulator = startEmulator(display, folder.path());
    if (emulator == 0) {
        std::fprintf(stderr, "the stand-in emulator did not come up under Wine\n");
        XCloseDisplay(display);
        return 1;
    }
    std::printf("under Wine, the stand-in emulator up; ");
    const bool shown = compareStartups(display, folder.path(), runs, {{kWine, player}, "Tunelark"},
                                       {{kWine, bare, kFirstRowsFile}, BARE_WINDOW_TITLE});
    printSize(player);
    printSize(bare);
    kill(emulator, SIGTERM); // ends the Windows program at once
    waitpid(emulator, nullptr, 0);
    XCloseDisplay(display);
    return shown ? 0 : 1;
}
