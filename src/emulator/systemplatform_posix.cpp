#include "emulator/systemplatform.h"

#include "emulator/platform_posix.h"

std::unique_ptr<Platform> makeSystemPlatform()
{
    return std::make_unique<PosixPlatform>();
}
