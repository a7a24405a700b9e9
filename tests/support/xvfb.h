#pragma once

#include "childprocess.h"
#include "scopedenv.h"

#include <memory>
#include <string>

enum class WindowManager { None, Openbox };

// A private X server (Xvfb on the first free display, optionally with openbox
// managing its windows) whose display is DISPLAY for as long as it runs.
//
// In a test:
//   if (const std::string missing = XvfbServer::missingTool(wm); !missing.empty())
//       GTEST_SKIP() << missing;
//   ASSERT_EQ(m_xvfb.start(wm), "");
class XvfbServer
{
public:
    XvfbServer() = default;
    ~XvfbServer();
    XvfbServer(const XvfbServer &) = delete;
    XvfbServer &operator=(const XvfbServer &) = delete;

    // Why the server cannot be run here ("Xvfb is not installed"), or empty.
    static std::string missingTool(WindowManager windowManager);

    // Empty once the server (and the window manager) are up and DISPLAY names
    // it; otherwise what went wrong.
    std::string start(WindowManager windowManager);
    // Ends both and puts the old DISPLAY back.
    void stop();

    const std::string &display() const { return m_display; }

private:
    ChildProcess m_server;
    ChildProcess m_windowManager;
    std::unique_ptr<ScopedEnv> m_displayEnv;
    std::string m_display;
};

// Asks a top-level window to close, as its close button does: the window
// manager's WM_DELETE_WINDOW message, sent straight to the window, so no
// keyboard focus is needed. False when there is no display.
bool requestWindowClose(unsigned long window);
