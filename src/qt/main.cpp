#include "app/checkcommand.h"
#include "app/playerstate.h"
#include "emulator/systemplatform.h"
#include "player/lifecycle.h"
#include "player/player.h"
#include "qt/mainwindow.h"

#include <QApplication>

#include <filesystem>
#include <iostream>
#include <string_view>

namespace {

int runPlayer(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const std::string currentDirectory = std::filesystem::current_path().string();

    PlayerState state;
    const auto platform = makeSystemPlatform();
    MainWindow window(state.list);
    ProgramLifecycle lifecycle(state, *platform, window, eventPumpsOf(window), currentDirectory);
    Player player(window, state, lifecycle);
    window.connectPlayer(player);

    if (!player.load())
        return 1;
    if (!window.isVisible())
        return 0; // closed while the first track was being started
    return app.exec();
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
