#pragma once

#include "platform/platform.h"
#include "util/error.h"

// Qt aborts when the X display it is to draw on cannot be reached. Asked
// before the application object exists: an Error when the window would go to
// an X display that the platform cannot open; success when it can, or when
// the window goes elsewhere (-platform or QT_QPA_PLATFORM naming another
// platform, or none named in a Wayland session).
Result<void> checkDisplay(int argc, char *argv[], Platform &platform);
