#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

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

// A decimal text taken apart without any machine arithmetic: blanks (spaces and
// tabs) around it, an optional sign, digits, and an optional "." with more
// digits; at least one digit. The slow references of the targets build on it.
struct DecimalParts
{
    bool negative = false;
    std::string whole;    // leading zeros removed
    std::string fraction; // as written
};

inline std::optional<DecimalParts> splitDecimal(std::string_view text)
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    DecimalParts parts;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        parts.negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::size_t pos = 0;
    for (; pos < text.size() && isDigit(text[pos]); ++pos)
        parts.whole += text[pos];
    if (pos < text.size() && text[pos] == '.') {
        for (++pos; pos < text.size() && isDigit(text[pos]); ++pos)
            parts.fraction += text[pos];
    }
    if (pos != text.size() || (parts.whole.empty() && parts.fraction.empty()))
        return std::nullopt;
    parts.whole.erase(0, std::min(parts.whole.find_first_not_of('0'), parts.whole.size()));
    return parts;
}
