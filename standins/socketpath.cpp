#include "socketpath.h"

#include <unistd.h>

#include <cstdlib>

std::string standinSocketPath()
{
    if (const char *path = std::getenv("HOOT_STANDIN_SOCKET"); path && *path)
        return path;
    const char *tmp = std::getenv("TMPDIR");
    std::string path = (tmp && *tmp) ? tmp : "/tmp";
    path += "/tunelark-hoot-" + std::to_string(getuid()) + "-";
    const char *display = std::getenv("DISPLAY");
    for (const char *c = display ? display : ""; *c; ++c) {
        const bool plain = (*c >= '0' && *c <= '9') || (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z');
        path += plain ? *c : '_';
    }
    return path;
}
