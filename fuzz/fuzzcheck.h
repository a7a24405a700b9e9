#pragma once

#include <cstdio>
#include <cstdlib>

// A broken property is a finding like a crash: say which and abort, so that
// libFuzzer keeps the input. Not assert(): it must also hold with NDEBUG.
inline void fuzzCheck(bool condition, const char *what)
{
    if (condition)
        return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}
