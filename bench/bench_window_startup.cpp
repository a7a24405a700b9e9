// Start-up of the player as a whole process: the wall time from starting
// `tunelark` to its window being viewable on an X server, the process's peak
// memory and its processor time up to its exit, for 1,000 and 100,000 tracks,
// against a bare Qt window of the same size showing the list's first rows in
// a table (bench_bare_window), started
// alternately in the same run. Runs its own Xvfb (no window manager) with the
// stand-in emulator already up, so the player only attaches; both pauses are
// 0. Prints medians, asserts nothing.
//
//   cmake --preset release && cmake --build --preset release -j2
//   build/release/bench/bench_window_startup [runs of each program, default 7] [EARLIER_TUNELARK]
//
// With EARLIER_TUNELARK (another build of the player, such as main's), that
// program is timed in turns with this build's instead of the bare window.

#include "barewindowtitle.h"
#include "samplelist.h"
#include "scopedenv.h"
#include "standinemulator.h"
#include "windowlaunch.h"
#include "xvfb.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

using namespace std::chrono_literals;

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    TempDir folder;
    ScopedEnv path("PATH", std::string(TUNELARK_STANDIN_DIR) + ":" + std::getenv("PATH"));
    ScopedEnv noJournal("HOOT_STANDIN_JOURNAL", std::nullopt);
    ScopedEnv onX("QT_QPA_PLATFORM", std::nullopt);
    // The player's one-instance lock lives here, away from a player the user runs.
    ScopedEnv lockFolder("XDG_RUNTIME_DIR", folder.path());
    XvfbServer xvfb;
    if (const std::string error = xvfb.start(false); !error.empty()) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    StandinEmulator emulator;
    if (!emulator.start(folder.file("hoot.out")).empty() || !emulator.waitForWindow(10s)) {
        std::fprintf(stderr, "the stand-in emulator did not come up\n");
        return 1;
    }
    Display *display = openWatchingDisplay();
    if (!display) {
        std::fprintf(stderr, "cannot open %s\n", std::getenv("DISPLAY"));
        return 1;
    }
    const StartedProgram baseline = argc > 2 ? StartedProgram{{argv[2]}, "Tunelark", "earlier build"}
                                             : StartedProgram{{BARE_WINDOW_BINARY, kFirstRowsFile}, BARE_WINDOW_TITLE};
    const bool shown = compareStartups(display, folder.path(), runs, {{TUNELARK_BINARY}, "Tunelark"}, baseline);
    XCloseDisplay(display);
    return shown ? 0 : 1;
}
