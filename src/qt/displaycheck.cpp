#include "qt/displaycheck.h"

#include "emulator/emulator.h"

#include <cstdlib>
#include <string_view>

namespace {

std::string_view environment(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

// The platform Qt is told to use: the -platform option before the
// environment; empty when neither names one.
std::string_view namedPlatform(int argc, char *argv[])
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string_view(argv[i]) == "-platform")
            return argv[i + 1];
    }
    return environment("QT_QPA_PLATFORM");
}

bool drawsOnX(int argc, char *argv[])
{
    const std::string_view platform = namedPlatform(argc, argv);
    if (platform.empty())
        return environment("WAYLAND_DISPLAY").empty();
    // "xcb:options" or a list "xcb;wayland": the first one is tried first.
    return platform.substr(0, platform.find_first_of(":;")) == "xcb";
}

} // namespace

Result<void> checkDisplay(int argc, char *argv[], Platform &platform)
{
    // Looking for the emulator's window opens the display the program keeps using.
    if (!drawsOnX(argc, argv) || platform.findWindow(kHootWindowTitle).search != WindowSearch::NoDisplay)
        return {};
    const std::string display(environment("DISPLAY"));
    if (display.empty())
        return Error{"DISPLAY が設定されていないため、ウィンドウを開けません。", "DISPLAY is not set, so no window can open"};
    return Error{"X ディスプレイ " + display + " に接続できないため、ウィンドウを開けません。",
                 "cannot reach the X display " + display + ", so no window can open"};
}
