#include "app/checkcommand.h"
#include "app/playerstate.h"
#include "app/lifecycle.h"
#include "emulator/systemplatform.h"
#include "ui/displaycheck.h"
#include "ui/formmain.h"
#include "ui/playbackcontroller.h"
#include "ui/qtdialogs.h"
#include "ui/signalwatcher.h"

#include <QApplication>

#include <csignal>
#include <filesystem>
#include <iostream>
#include <string_view>

namespace {

int runPlayer(int argc, char *argv[])
{
    const auto platform = makeSystemPlatform();
    if (const std::string reason = unreachableDisplay(argc, argv, *platform); !reason.empty()) {
        std::cerr << "tunelark: " << reason << std::endl;
        return 1;
    }
    QApplication app(argc, argv);
    SignalWatcher endSignals{SIGTERM, SIGINT, SIGHUP};
    const std::string currentDirectory = std::filesystem::current_path().string();

    PlayerState player;
    FormMain form(player.list);
    QtDialogs dialogs(&form);
    const EventPumps pumps{
        [] { QCoreApplication::processEvents(QEventLoop::AllEvents); },
        // User input waits until the pause is over; painting goes on.
        [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); },
    };
    ProgramLifecycle lifecycle(player, *platform, dialogs, pumps, currentDirectory);
    PlaybackController controller(form, player, lifecycle);
    // A signal closes the window as the user would, with nobody to ask.
    QObject::connect(&endSignals, &SignalWatcher::endRequested, &form, [&] {
        dialogs.stopAsking();
        form.close();
    });

    int exitCode = 1;
    if (controller.load())
        exitCode = form.isVisible() ? app.exec() : 0; // hidden: closed while starting
    // As a shell reports a program the signal ended.
    return endSignals.received() ? 128 + endSignals.received() : exitCode;
}

} // namespace

int main(int argc, char *argv[])
{
    // Only "--" options are ours: Qt's own, such as -platform, have one dash
    // and are left to the window.
    if (argc > 1 && std::string_view(argv[1]).starts_with("--")) {
        return runCommandLine(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr,
                              std::filesystem::current_path().string());
    }
    return runPlayer(argc, argv);
}
