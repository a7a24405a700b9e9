#include "app/checkcommand.h"
#include "app/playerstate.h"
#include "app/lifecycle.h"
#include "emulator/systemplatform.h"
#include "ui/displaycheck.h"
#include "ui/formmain.h"
#include "ui/playbackcontroller.h"
#include "ui/qtdialogs.h"
#include "ui/signalwatcher.h"
#include "util/message.h"

#include <QApplication>

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
    if (endSignals.received())
        return 128 + endSignals.received();
    // Times the user asked to keep but that could not be written are no normal end.
    return lifecycle.saveFailed() ? 2 : exitCode;
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
    return runPlayer(argc, argv);
}
