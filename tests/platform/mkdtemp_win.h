#pragma once

// POSIX mkdtemp for the Windows C runtime: replaces the trailing XXXXXX of
// the pattern and makes that folder; the pattern, or null on failure.
#include <direct.h>
#include <io.h>

#include <cstring>

inline char *mkdtemp(char *pattern)
{
    if (_mktemp_s(pattern, std::strlen(pattern) + 1) != 0 || _mkdir(pattern) != 0)
        return nullptr;
    return pattern;
}
