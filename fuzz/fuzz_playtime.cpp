// Play times: formatPlayTime writes the minutes-and-seconds form for every
// count, which reads back as 0 to 5,999 seconds, and parsePlayTime agrees
// with an independent reading.
#include "fuzzcheck.h"
#include "tracklist/conversions.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

// "00" pattern: at least two digits, a minus sign in front of them.
std::string pattern00(std::int64_t value)
{
    std::string digits = std::to_string(value < 0 ? -value : value);
    if (digits.size() < 2)
        digits.insert(0, "0");
    return value < 0 ? "-" + digits : digits;
}

std::string referenceSecToTime(std::int32_t seconds)
{
    const std::int64_t minutes = seconds >= 60 ? seconds / 60 : 0;
    return pattern00(minutes) + ":" + pattern00(std::int64_t(seconds) - minutes * 60);
}

std::size_t countCharacters(std::string_view text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// A whole number with blanks around it and an optional sign before its digits.
std::optional<std::int32_t> wholeNumber(std::string_view part)
{
    const std::size_t first = part.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return std::nullopt;
    part = part.substr(first, part.find_last_not_of(" \t") - first + 1);
    std::int32_t sign = 1;
    if (part.front() == '+' || part.front() == '-') {
        sign = part.front() == '-' ? -1 : 1;
        part.remove_prefix(1);
    }
    if (part.empty() || part.front() == '+' || part.front() == '-')
        return std::nullopt;
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (error != std::errc() || end != part.data() + part.size())
        return std::nullopt;
    return sign * value;
}

std::optional<std::int32_t> referencePlayTime(std::string_view text)
{
    if (countCharacters(text) != 5)
        return 0;
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t colon = text.find(':', start);
        parts.push_back(text.substr(start, colon == std::string_view::npos ? colon : colon - start));
        if (colon == std::string_view::npos)
            break;
        start = colon + 1;
    }
    if (parts.size() < 2)
        return std::nullopt;
    const std::optional<std::int32_t> minutes = wholeNumber(parts[0]);
    const std::optional<std::int32_t> seconds = wholeNumber(parts[1]);
    if (!minutes || !seconds)
        return std::nullopt;
    return *minutes * 60 + *seconds;
}

std::string shown(const std::optional<std::int32_t> &value)
{
    return value ? std::to_string(*value) : std::string("nothing");
}

} // unnamed

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::int32_t seconds = 0;
    std::memcpy(&seconds, data, std::min(size, sizeof seconds));
    const std::string time = formatPlayTime(seconds);
    fuzzCheck(time == referenceSecToTime(seconds), "formatPlayTime differs from the \"00\" pattern",
              [&] { return std::to_string(seconds) + " gives " + time; });
    const std::int32_t expected = seconds >= 0 && seconds < 6000 ? seconds : 0;
    fuzzCheck(parsePlayTime(time) == expected, "play time does not read back",
              [&] { return std::to_string(seconds) + " written as " + time; });
    const std::int32_t belowHundredMinutes = static_cast<std::int32_t>(static_cast<std::uint32_t>(seconds) % 6000);
    fuzzCheck(parsePlayTime(formatPlayTime(belowHundredMinutes)) == belowHundredMinutes,
              "play time below 100 minutes does not read back", [&] { return std::to_string(belowHundredMinutes); });

    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const std::optional<std::int32_t> parsed = parsePlayTime(text);
    const std::optional<std::int32_t> reference = referencePlayTime(text);
    fuzzCheck(parsed == reference, "parsePlayTime differs from the independent reading", [&] {
        return fuzzShow(std::string(text)) + " gives " + shown(parsed) + ", expected " + shown(reference);
    });
    return 0;
}
