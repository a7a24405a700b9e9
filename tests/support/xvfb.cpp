#include "xvfb.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <thread>

using namespace std::chrono_literals;

// openbox announces itself with _NET_SUPPORTING_WM_CHECK on the root window.
static bool windowManagerReady()
{
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    bool ready = false;
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check != None) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char *data = nullptr;
        ready = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW, &type,
                                   &format, &count, &after, &data) == Success
                && count == 1;
        if (data)
            XFree(data);
    }
    XCloseDisplay(display);
    return ready;
}

XvfbServer::~XvfbServer()
{
    stop();
}

std::string XvfbServer::missingTool(WindowManager windowManager)
{
    if (!onPath("Xvfb"))
        return "Xvfb is not installed";
    if (windowManager == WindowManager::Openbox && !onPath("openbox"))
        return "openbox is not installed";
    return {};
}

std::string XvfbServer::start(WindowManager windowManager)
{
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0)
        return "cannot make a pipe";
    // Xvfb picks a free display itself and writes its number to the pipe.
    // Without -noreset it resets whenever its last client leaves, and a
    // program connecting during the reset is turned away.
    std::string error = m_server.start(
        {"Xvfb", "-displayfd", "3", "-noreset", "-nolisten", "tcp", "-screen", "0", "1024x768x24"}, "/dev/null",
        pipeEnds[1]);
    close(pipeEnds[1]);
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (error.empty() && number.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd entry{pipeEnds[0], POLLIN, 0};
        char buffer[16];
        ssize_t n = 0;
        if (left.count() <= 0 || poll(&entry, 1, static_cast<int>(left.count())) <= 0
            || (n = read(pipeEnds[0], buffer, sizeof buffer)) <= 0)
            error = "Xvfb did not report a display";
        else
            number.append(buffer, static_cast<std::size_t>(n));
    }
    close(pipeEnds[0]);
    if (!error.empty()) {
        m_server.stop();
        return error;
    }
    m_display = ':' + number.substr(0, number.find('\n'));
    m_displayEnv = std::make_unique<ScopedEnv>("DISPLAY", m_display);

    if (windowManager == WindowManager::Openbox) {
        if (error = m_windowManager.start({"openbox", "--sm-disable"}); !error.empty())
            return error;
        for (const auto limit = std::chrono::steady_clock::now() + 10s; !windowManagerReady();) {
            if (std::chrono::steady_clock::now() > limit || !m_windowManager.running())
                return "openbox did not come up";
            std::this_thread::sleep_for(20ms);
        }
    }
    return {};
}

void XvfbServer::stop()
{
    m_windowManager.stop();
    m_server.stop();
    m_displayEnv.reset();
    m_display.clear();
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
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    return true;
}
