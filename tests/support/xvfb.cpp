#include "xvfb.h"

#include <X11/Xlib.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

using namespace std::chrono_literals;

// The window manager owns the WM_S0 selection once it manages the screen.
static bool windowManagerReady()
{
    Display *display = XOpenDisplay(nullptr);
    const bool ready = display && XGetSelectionOwner(display, XInternAtom(display, "WM_S0", False)) != None;
    if (display)
        XCloseDisplay(display);
    return ready;
}

std::string XvfbServer::start(bool withWindowManager)
{
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return "cannot make a pipe";
    // Xvfb picks a free display and writes its number to the pipe. Without
    // -noreset it resets when its last client leaves, and turns away a program
    // connecting meanwhile.
    std::string error = m_server.start(
        {"Xvfb", "-displayfd", "3", "-noreset", "-nolisten", "tcp", "-screen", "0", "1024x768x24"}, "/dev/null", ends[1]);
    close(ends[1]);
    FILE *reported = fdopen(ends[0], "r"); // at its end once Xvfb has gone
    int number = -1;
    const bool reportedOne = error.empty() && std::fscanf(reported, "%d", &number) == 1;
    std::fclose(reported);
    if (!reportedOne)
        return error.empty() ? "Xvfb did not report a display" : error;
    m_displayEnv.emplace("DISPLAY", ':' + std::to_string(number));
    if (!withWindowManager || !(error = m_windowManager.start({"openbox", "--sm-disable"})).empty())
        return error;
    const bool up = waitUntil([&] { return m_windowManager.waitForExit(0ms) || windowManagerReady(); }, 10s);
    return up && !m_windowManager.waitForExit(0ms) ? "" : "openbox did not come up";
}
