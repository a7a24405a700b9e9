#include "app/checkcommand.h"
#include "app/nowplayingfile.h"
#include "app/playerstate.h"
#include "emulator/systemplatform.h"
#include "player/lifecycle.h"
#include "player/player.h"
#include "util/file.h"
#include "util/message.h"
#include "util/widestring_win.h"
#include "win32/consoleoutput_win.h"
#include "win32/mainloop_win.h"
#include "win32/mainwindow_win.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The arguments after the program's name, as the system splits its command line.
std::vector<std::string> commandLineArguments()
{
    int count = 0;
    wchar_t **arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> result;
    for (int i = 1; i < count; ++i)
        result.push_back(toUtf8(arguments[i]));
    LocalFree(arguments);
    return result;
}

std::string currentDirectory()
{
    return utf8FromPath(std::filesystem::current_path());
}

int runPlayer(HINSTANCE instance, int showCommand)
{
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    const auto platform = makeSystemPlatform();
    PlayerState state;
    WinMainLoop loop(*platform);
    MainWindow window(state.list, instance, showCommand);
    ProgramLifecycle lifecycle(state, *platform, loop, window, currentDirectory());
    Player player(window, state, lifecycle, loop);
    window.connectPlayer(player);
    NowPlayingFile nowPlaying(state);
    player.addTrackChangedListener([&nowPlaying] { nowPlaying.show(); });
    player.addTrackChangedListener([&window, &state, &player] {
        const Track &track = state.list.tracks.at(static_cast<std::size_t>(state.list.current));
        window.showOnMediaOverlay(track.gameTitle, track.musicTitle, player.canGoBack());
    });

    player.start();
    // The run is over when the loop ends: the player ends it through endProgram().
    if (player.state() != Player::State::Ended)
        loop.run([&window] { return window.handle(); });
    nowPlaying.clear();
    return player.exitCode();
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    const std::vector<std::string> arguments = commandLineArguments();
    if (std::any_of(arguments.begin(), arguments.end(), [](const std::string &arg) { return arg.starts_with("--"); })) {
        std::ostringstream out;
        std::ostringstream err;
        const int exitCode = runCommandLine(arguments, out, err, currentDirectory());
        writeToStandardStream(StandardStream::Output, out.str());
        writeToStandardStream(StandardStream::Error, err.str());
        return exitCode;
    }
    if (const std::string problem = enterPlayFolder(arguments); !problem.empty()) {
        std::ostringstream err;
        printMessage(err, problem);
        writeToStandardStream(StandardStream::Error, err.str());
        return 2;
    }
    return runPlayer(instance, showCommand);
}
