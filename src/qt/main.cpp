#include "app/checkcommand.h"
#include "app/session.h"
#include "qt/displaycheck.h"
#include "qt/mainwindow.h"
#include "qt/mpris.h"
#include "qt/qtmainloop.h"
#include "qt/signalwatcher.h"
#include "util/message.h"

#include <QApplication>
#include <QSessionManager>
#include <QTimer>

#include <csignal>
#include <iostream>
#include <utility>

namespace {

int runPlayer(int argc, char *argv[])
{
    Session session;
    if (const Result<void> display = checkDisplay(argc, argv, session.platform()); !display) {
        printMessage(display.error());
        return 1;
    }
    QApplication app(argc, argv);
    // The player ends the run itself, after the save question.
    QApplication::setQuitOnLastWindowClosed(false);
    SignalWatcher endSignals{SIGTERM, SIGINT, SIGHUP};

    QtMainLoop loop(session.platform());
    MainWindow window(session.state().list);
    Player &player = session.connect(window, loop);
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
    MprisService mpris(player, session.state().list, window);
    // The desktop's controls come once the first track plays, so start-up
    // does not wait for the bus and a run that ends at start-up (a second
    // instance) never claims them; without them the window works all the same.
    player.addTrackChangedListener([&mpris, asked = false]() mutable {
        if (std::exchange(asked, true))
            return;
        QTimer::singleShot(0, &mpris, [&mpris] {
            if (const Result<void> registered = mpris.registerOnSessionBus(); !registered)
                printMessage(registered.error(), "desktop controls off");
        });
    });

    const int exitCode = session.run([] { QApplication::exec(); });
    // As a shell reports a program the signal ended.
    if (endSignals.received())
        return 128 + endSignals.received();
    return exitCode;
}

} // namespace

int main(int argc, char *argv[])
{
    // Only "--" options are ours, wherever they stand: Qt's own, such as
    // -platform, have one dash and are left to the window.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (const std::optional<int> exitCode = runArguments(arguments, withoutQtOptions(arguments), std::cout, std::cerr))
        return *exitCode;
    return runPlayer(argc, argv);
}
