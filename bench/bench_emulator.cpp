// Cost of a track change through the emulator control, against bare client
// runs, and the processor time spent while waiting for a slow client. Runs the
// stand-ins under a private X server; prints figures and asserts nothing.

#include "emulator/emulator.h"
#include "platform/platform_posix.h"
#include "qt/qtmainloop.h"

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
#include <optional>
#include <string>
#include <vector>

extern char **environ;

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// One client run as plainly as it can be done: spawn and a blocking wait.
static void bareClientRun(std::vector<std::string> arguments)
{
    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv.front(), nullptr, nullptr, argv.data(), environ) == 0)
        waitpid(pid, nullptr, 0);
}

// Runs the main loop until the task has ended.
template <typename T>
static T finish(Task<T> task)
{
    std::optional<T> value;
    task.start([&value](T result) { value = std::move(result); });
    while (!value)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return std::move(*value);
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
        QtMainLoop loop(platform);
        Settings settings; // both pauses 0
        Emulator control(platform, loop, settings);
        if (!finish(control.attach())) {
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
            (void)finish(control.play(store, round % 2));
            changes.push_back(std::chrono::duration<double, std::milli>(Clock::now() - began).count());
            // The same two orders, for games of their own so the emulator
            // shows a new title each time: it takes a selection more slowly
            // than a play order.
            began = Clock::now();
            bareClientRun({"hootclient", std::string("title=Game ") + (round % 2 ? "D" : "C"), "major=major", "sub=1"});
            bareClientRun({"hootclient", "code", "1"});
            bare.push_back(std::chrono::duration<double, std::milli>(Clock::now() - began).count());
        }
        const double change = median(changes);
        const double twoRuns = median(bare);
        std::printf("track change (selection + play), median of %d: %.3f ms\n", kRounds, change);
        std::printf("two bare spawn-and-wait client runs, median:   %.3f ms\n", twoRuns);
        std::printf("ratio: %.3f (target below 1.05)\n", change / twoRuns);
    }

    {
        ScopedEnv slow("HOOT_STANDIN_DELAY_MS", "2000");
        PosixPlatform platform;
        QtMainLoop loop(platform);
        Settings settings;
        Emulator control(platform, loop, settings);
        TrackList store;
        Track record;
        record.code = TrackCode::fromWhole(1).value();
        store.addRecord(record);
        const auto began = Clock::now();
        const double cpuBefore = cpuSeconds();
        const Result<void> played = finish(control.play(store, 0));
        const double cpu = cpuSeconds() - cpuBefore;
        const double wall = std::chrono::duration<double>(Clock::now() - began).count();
        std::printf("waiting %.2f s for a slow client (%s) in the main loop: %.3f s of processor time, %.2f%% of one core (target below 1%%)\n",
                    wall, played ? "ended" : "failed", cpu, 100.0 * cpu / wall);
    }
    return 0;
}
