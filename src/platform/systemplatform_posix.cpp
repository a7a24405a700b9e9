#include "platform/systemplatform.h"

#include "platform/platform_posix.h"

std::unique_ptr<Platform> makeSystemPlatform()
{
    return std::make_unique<PosixPlatform>();
}
