// Cost of a track change through the emulator control, against bare client
// runs, and the processor time spent while waiting for a slow client. Runs the
// stand-ins under a private X server; prints figures and asserts nothing.

#include "emulator/emulator.h"
#include "emulator/platform_posix.h"

#include "median.h"
#include "scopedenv.h"
#include "standinemulator.h"
#include "xvfb.h"

#include <QCoreApplication>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char **environ;

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// One client run as plainly as it can be done: spawn and a blocking wait.
static void bareClientRun()
{
    char program[] = "hootclient";
    char order[] = "code";
    char code[] = "1";
    char *argv[] = {program, order, code, nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) == 0)
        waitpid(pid, nullptr, 0);
}

static double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ScopedEnv path("PATH", std::string(TUNELARK_STANDIN_DIR) + ":" + std::getenv("PATH"));
    ScopedEnv noJournal("HOOT_STANDIN_JOURNAL", std::nullopt);

    XvfbServer xvfb;
    if (const std::string error = xvfb.start(false); !error.empty()) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    TempDir dir;
    StandinEmulator emulator;
    if (!emulator.start(dir.file("hoot.out")).empty() || !emulator.waitForWindow(10s)) {
        std::fprintf(stderr, "the stand-in emulator did not come up\n");
        return 1;
    }

    {
        PosixPlatform platform;
        Settings settings; // both pauses 0
        const EventPump pump = [] { QCoreApplication::processEvents(); };
        Emulator control(platform, settings, {pump, pump});
        if (!control.attach()) {
            std::fprintf(stderr, "attach failed\n");
            return 1;
        }
        // Two games in turn: every change sends a selection and a play order.
        TrackList store;
        for (const char *title : {"Game A", "Game B"}) {
            Track record;
            record.gameTitle = title;
            record.major = "major";
            record.sub = "1";
            record.code = TrackCode::fromWhole(1).value();
            store.addRecord(record);
        }

        constexpr int kRounds = 200;
        std::vector<double> changes;
        std::vector<double> bare;
        for (int round = 0; round < kRounds; ++round) {
            auto began = Clock::now();
            (void)control.play(store, round % 2);
            changes.push_back(std::chrono::duration<double, std::milli>(Clock::now() - began).count());
            began = Clock::now();
            bareClientRun();
            bareClientRun();
            bare.push_back(std::chrono::duration<double, std::milli>(Clock::now() - began).count());
        }
        const double change = median(changes);
        const double twoRuns = median(bare);
        std::printf("track change (selection + play), median of %d: %.3f ms\n", kRounds, change);
        std::printf("two bare spawn-and-wait client runs, median:   %.3f ms\n", twoRuns);
        std::printf("ratio: %.3f (target below 1.15)\n", change / twoRuns);
    }

    {
        ScopedEnv slow("HOOT_STANDIN_DELAY_MS", "2000");
        PosixPlatform platform;
        int pumped = 0;
        const auto began = Clock::now();
        const double cpuBefore = cpuSeconds();
        const StartResult start = platform.startProgram("hootclient code 1", ShowStyle::Hidden);
        const WaitResult result = platform.waitForExit(start.pid, 10s, [&] {
            QCoreApplication::processEvents();
            ++pumped;
        });
        const double cpu = cpuSeconds() - cpuBefore;
        const double wall = std::chrono::duration<double>(Clock::now() - began).count();
        std::printf("waiting %.2f s for a slow client (%s, pump ran %d times): %.3f s of processor time, %.2f%% of one core (target below 2%%)\n",
                    wall, result.outcome == WaitResult::Outcome::Exited ? "ended" : "timed out", pumped, cpu,
                    100.0 * cpu / wall);
    }
    return 0;
}
