#pragma once

#include "childprocess.h"
#include "scopedenv.h"

// A private X server (Xvfb on a free display, with openbox managing its
// windows when asked) that DISPLAY names for as long as it runs.
class XvfbServer
{
public:
    // Empty once the server (and the window manager) are up; otherwise what went wrong.
    std::string start(bool withWindowManager);

private:
    ChildProcess m_server;
    std::optional<ScopedEnv> m_displayEnv;
    ChildProcess m_windowManager; // ends first
};
