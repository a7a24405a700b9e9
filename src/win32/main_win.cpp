#include "app/session.h"
#include "util/widestring_win.h"
#include "win32/consoleoutput_win.h"
#include "win32/mainloop_win.h"
#include "win32/mainwindow_win.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

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

int runPlayer(HINSTANCE instance, int showCommand)
{
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    Session session;
    WinMainLoop loop(session.platform());
    MainWindow window(session.state().list, instance, showCommand);
    Player &player = session.connect(window, loop);
    window.connectPlayer(player);
    player.addTrackChangedListener([&window, &state = session.state(), &player] {
        const TrackView track = state.list.track(state.list.current);
        window.showOnMediaOverlay(std::string(track.gameTitle), std::string(track.musicTitle), player.canGoBack());
    });
    return session.run([&loop, &window] { loop.run([&window] { return window.handle(); }); });
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    const std::vector<std::string> arguments = commandLineArguments();
    // Standard output and error are the parent console's, reached only through the system's handles.
    std::ostringstream out, err;
    const std::optional<int> exitCode = runArguments(arguments, arguments, out, err);
    writeToStandardStream(StandardStream::Output, out.str());
    writeToStandardStream(StandardStream::Error, err.str());
    if (exitCode)
        return *exitCode;
    return runPlayer(instance, showCommand);
}
