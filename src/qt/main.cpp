#include "app/checkcommand.h"
#include "app/nowplayingfile.h"
#include "app/playerstate.h"
#include "emulator/systemplatform.h"
#include "player/lifecycle.h"
#include "player/player.h"
#include "qt/displaycheck.h"
#include "qt/mainwindow.h"
#include "qt/mpris.h"
#include "qt/qtmainloop.h"
#include "qt/signalwatcher.h"
#include "util/message.h"

#include <QApplication>
#include <QSessionManager>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <string_view>

namespace {

int runPlayer(int argc, char *argv[])
{
    const auto platform = makeSystemPlatform();
    if (const std::string reason = unreachableDisplay(argc, argv, *platform); !reason.empty()) {
        printMessage(reason);
        return 1;
    }
    QApplication app(argc, argv);
    // The player ends the run itself, after the save question.
    QApplication::setQuitOnLastWindowClosed(false);
    SignalWatcher endSignals{SIGTERM, SIGINT, SIGHUP};
    const std::string currentDirectory = std::filesystem::current_path().string();

    PlayerState state;
    QtMainLoop loop(*platform);
    MainWindow window(state.list);
    ProgramLifecycle lifecycle(state, *platform, loop, window, currentDirectory);
    Player player(window, state, lifecycle, loop);
    window.connectPlayer(player);
    // A signal ends the run with nobody to ask: stored times stay beside the list.
    QObject::connect(&endSignals, &SignalWatcher::endRequested, &window, [&player] { player.sessionEnds(false); });
    // The session manager's logout asks as a close does, where it lets us ask.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window, [&player](QSessionManager &manager) {
        const bool canAsk = manager.allowsInteraction(); // asks the manager once
        if (player.state() != Player::State::Ended)
            player.sessionEnds(canAsk);
        if (canAsk)
            manager.release();
    });
    MprisService mpris(player, state.list, window);
    NowPlayingFile nowPlaying(state);
    player.addTrackChangedListener([&nowPlaying] { nowPlaying.show(); });
    // The desktop's controls come once the loop runs, so start-up does not
    // wait for the bus; without them the window works all the same.
    QTimer::singleShot(0, &mpris, [&mpris] {
        if (const QString reason = mpris.registerOnSessionBus(); !reason.isEmpty())
            std::cerr << "tunelark (desktop controls off): " << reason.toStdString() << std::endl;
    });

    player.start();
    if (player.state() != Player::State::Ended)
        app.exec();
    nowPlaying.clear();
    // As a shell reports a program the signal ended.
    if (endSignals.received())
        return 128 + endSignals.received();
    return player.exitCode();
}

} // namespace

int main(int argc, char *argv[])
{
    // Only "--" options are ours, wherever they stand: Qt's own, such as
    // -platform, have one dash and are left to the window.
    if (std::any_of(argv + 1, argv + argc, [](const char *arg) { return std::string_view(arg).starts_with("--"); })) {
        return runCommandLine(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr,
                              std::filesystem::current_path().string());
    }
    if (const std::string problem = enterPlayFolder(withoutQtOptions(std::vector<std::string>(argv + 1, argv + argc)));
        !problem.empty()) {
        printMessage(problem);
        return 2;
    }
    return runPlayer(argc, argv);
}
