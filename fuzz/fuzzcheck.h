#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

// A broken property is a finding like a crash: print why and abort, so that
// libFuzzer keeps the input. Not assert(): it must also hold with NDEBUG.
// The detail is made only on failure; making it for every input would cost
// more than the code under test.
template <typename Detail>
void fuzzCheck(bool condition, const char *what, Detail detail)
{
    if (condition)
        return;
    std::fprintf(stderr, "property broken: %s\n%s\n", what, std::string(detail()).c_str());
    std::abort();
}

inline void fuzzCheck(bool condition, const char *what)
{
    fuzzCheck(condition, what, [] { return std::string(); });
}

// Bytes shown with C escapes, for the message of a broken property.
inline std::string fuzzShow(const std::string &bytes)
{
    std::string shown = "\"";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '"' && c != '\\') {
            shown += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
        }
    }
    return shown + "\"";
}
