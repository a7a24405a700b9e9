// Start-up to a shown window: settings read, the list file loaded, the
// emulator attached, the grid filled and the window shown, for 1,000 and
// 100,000 tracks of a Shift-JIS list. The emulator's side is a platform on
// which the window is open and every client run ends at once (the cost of real
// client runs is bench_emulator's); the configured pauses are 0.
#include "samplelist.h"

#include "answeredwindow.h"
#include "player/playerstate.h"
#include "player/lifecycle.h"
#include "player/player.h"
#include "qt/qtmainloop.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>
#include <sys/resource.h>

namespace {

class InstantEmulator : public Platform
{
public:
    WindowLookup findWindow(std::string_view) override { return {WindowSearch::Found, 1}; }
    Result<ProcessId> startProgram(std::string_view, ShowStyle) override { return ++m_lastPid; }
    bool commandLineFits(std::string_view) const override { return true; }
    WaitResult waitForExit(ProcessId, std::chrono::milliseconds) override { return {}; }
    std::intptr_t endSignal(ProcessId) override { return -1; }
    bool hasExited(ProcessId) override { return true; }
    void terminate(ProcessId) override {}
    std::chrono::milliseconds now() override
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
    }

private:
    ProcessId m_lastPid = 100;
};

// Runs the event loop until the player has carried out what it was asked.
void runUntilIdle(const Player &player)
{
    while (player.state() == Player::State::Starting || player.state() == Player::State::Changing)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents();
}

void BM_StartupToShownWindow(benchmark::State &state)
{
    QTemporaryDir folder;
    const std::string path = folder.path().toStdString();
    writeSampleFolder(path, static_cast<int>(state.range(0)));
    qputenv("XDG_RUNTIME_DIR", folder.path().toUtf8());
    for (auto _ : state) {
        PlayerState player;
        InstantEmulator platform;
        struct : UserDialogs {
            void showExclamation(const std::string &) override {}
            bool askYesNo(const std::string &) override { return false; }
        } dialogs;
        AnsweredWindow form(player.list, dialogs);
        QtMainLoop loop(platform);
        ProgramLifecycle lifecycle(player, platform, loop, dialogs, path);
        Player controller(form, player, lifecycle, loop);
        form.connectPlayer(controller);
        controller.start();
        runUntilIdle(controller);
        if (controller.state() != Player::State::Playing || !form.isVisible())
            state.SkipWithError("start-up did not show the window");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_StartupToShownWindow)
    ->Arg(1000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();

// A whole session on a 100,000-track list: start-up to the shown window, an
// change by 次曲演奏, a double-click near the end
// of the list, and the save at exit. Each phase is a counter, in milliseconds.
void BM_LargeListSession(benchmark::State &state)
{
    QTemporaryDir folder;
    const std::string path = folder.path().toStdString();
    writeSampleFolder(path, static_cast<int>(state.range(0)));
    qputenv("XDG_RUNTIME_DIR", folder.path().toUtf8());
    const std::string listBytes = [&] {
        std::ifstream in(path + "/tl.lst", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    for (auto _ : state) {
        std::ofstream(path + "/tl.lst", std::ios::binary | std::ios::trunc) << listBytes;
        QElapsedTimer clock;
        clock.start();
        PlayerState player;
        InstantEmulator platform;
        struct : UserDialogs {
            void showExclamation(const std::string &) override {}
            bool askYesNo(const std::string &) override { return true; }
        } dialogs;
        AnsweredWindow form(player.list, dialogs);
        QtMainLoop loop(platform);
        ProgramLifecycle lifecycle(player, platform, loop, dialogs, path);
        Player controller(form, player, lifecycle, loop);
        form.connectPlayer(controller);
        controller.start();
        runUntilIdle(controller);
        if (controller.state() != Player::State::Playing)
            state.SkipWithError("start-up failed");
        state.counters["startup_ms"] = clock.restart();

        controller.next();
        runUntilIdle(controller);
        state.counters["next_change_ms"] = clock.restart();

        controller.activateRow(player.list.count() - 6);
        runUntilIdle(controller);
        state.counters["double_click_ms"] = clock.restart();

        // A time is stored only after a whole second.
        while (controller.elapsedSeconds() < 1)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        controller.storeTime();
        runUntilIdle(controller);
        clock.restart();
        form.close();
        state.counters["save_ms"] = clock.restart();
    }
}
BENCHMARK(BM_LargeListSession)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory: %.1f MB\n", usage.ru_maxrss / 1024.0);
    return 0;
}
