#pragma once

// The title of the start-up benchmarks' bare windows (Qt and Win32), by which
// the benchmarks find them on the X server. A macro, so that the Win32 window
// can make a wide string of it.
#define BARE_WINDOW_TITLE "Bare table window"
