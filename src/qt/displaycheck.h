#pragma once

#include "platform/platform.h"

#include <string>

// Qt aborts when the X display it is to draw on cannot be reached. Asked
// before the application object exists: the reason, in one line, when the
// window would go to an X display that the platform cannot open; empty when it
// can, or when the window goes elsewhere (-platform or QT_QPA_PLATFORM naming
// another platform, or none named in a Wayland session).
std::string unreachableDisplay(int argc, char *argv[], Platform &platform);
