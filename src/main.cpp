#include "app/checkcommand.h"
#include "app/playerstate.h"
#include "app/lifecycle.h"
#include "emulator/systemplatform.h"
#include "ui/formmain.h"
#include "ui/playbackcontroller.h"
#include "ui/qtdialogs.h"

#include <QApplication>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string_view>

namespace {

int runPlayer(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const std::string currentDirectory = std::filesystem::current_path().string();

    PlayerState player;
    const auto platform = makeSystemPlatform();
    FormMain form(player.list);
    QtDialogs dialogs(&form);
    const EventPumps pumps{
        [] { QCoreApplication::processEvents(QEventLoop::AllEvents); },
        // User input waits until the pause is over; painting goes on.
        [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); },
    };
    ProgramLifecycle lifecycle(player, *platform, dialogs, pumps, currentDirectory);
    PlaybackController controller(form, player, lifecycle);

    if (!controller.load())
        return 1;
    // The window may have been closed while the first track was being started.
    const int exitCode = form.isVisible() ? app.exec() : 0;
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
