#pragma once

#include "platform/platform.h"

#include <memory>

// The platform layer of the system the program is built for: PosixPlatform
// on Linux, WinPlatform on Windows (CMake builds one of the two).
std::unique_ptr<Platform> makeSystemPlatform();
