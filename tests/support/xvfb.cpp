#include "xvfb.h"

#include <X11/Xlib.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

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
    std::string number;
    pollfd entry{ends[0], POLLIN, 0};
    for (char buffer[16]; error.empty() && number.find('\n') == std::string::npos;) {
        const ssize_t n = poll(&entry, 1, 10000) > 0 ? read(ends[0], buffer, sizeof buffer) : 0;
        if (n <= 0)
            error = "Xvfb did not report a display";
        number.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
    }
    close(ends[0]);
    if (!error.empty())
        return error;
    m_displayEnv.emplace("DISPLAY", ':' + number.substr(0, number.find('\n')));
    if (!withWindowManager)
        return {};
    if (error = m_windowManager.start({"openbox", "--sm-disable"}); !error.empty())
        return error;
    return waitUntil([&] { return m_windowManager.waitForExit(0ms) || windowManagerReady(); }, 10s)
            && !m_windowManager.waitForExit(0ms)
        ? ""
        : "openbox did not come up";
}

bool requestWindowClose(unsigned long window)
{
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    XSendEvent(display, window, False, NoEventMask, &event);
    XCloseDisplay(display);
    return true;
}
