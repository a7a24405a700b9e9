#pragma once

#include <string>

// Where the stand-in emulator listens and the stand-in client connects:
// $HOOT_STANDIN_SOCKET when set, otherwise a path in the temporary folder
// named after the user and the X display, so emulators on different displays
// do not meet.
//
// One order on the socket: the argument count in decimal and "\n", then each
// argument followed by a NUL byte. The emulator answers "ok\n" once it has
// taken the order.
std::string standinSocketPath();
