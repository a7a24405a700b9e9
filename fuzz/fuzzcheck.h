#pragma once

#include <cstdio>
#include <cstdlib>

// A broken property aborts like a crash, so libFuzzer keeps the input (also with NDEBUG).
inline void fuzzCheck(bool condition, const char *what)
{
    if (condition)
        return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}
