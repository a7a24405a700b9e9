#pragma once

#include "childprocess.h"
#include "scopedenv.h"

enum class WindowManager { None, Openbox };

// A private X server (Xvfb on a free display, optionally with openbox managing
// its windows) that DISPLAY names for as long as it runs. In a test:
//   if (const std::string missing = XvfbServer::missingTool(wm); !missing.empty())
//       GTEST_SKIP() << missing;
//   ASSERT_EQ(m_xvfb.start(wm), "");
class XvfbServer
{
public:
    // Why the server cannot be run here ("Xvfb is not installed"), or empty.
    static std::string missingTool(WindowManager windowManager);
    // Empty once the server (and the window manager) are up; otherwise what went wrong.
    std::string start(WindowManager windowManager);

private:
    ChildProcess m_server;
    std::optional<ScopedEnv> m_displayEnv;
    ChildProcess m_windowManager; // ends first
};

// Asks a top-level window to close, as its close button does: WM_DELETE_WINDOW
// sent straight to the window, so no keyboard focus is needed.
bool requestWindowClose(unsigned long window);
