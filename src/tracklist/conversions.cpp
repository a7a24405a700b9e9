#include "tracklist/conversions.h"

#include "util/text.h"

#include <array>
#include <cstddef>

namespace {

// At least two digits with leading zeros, and a minus sign in front of them.
std::string twoDigits(std::int64_t value)
{
    const bool negative = value < 0;
    std::string digits = std::to_string(negative ? -value : value);
    if (digits.size() < 2)
        digits.insert(0, 2 - digits.size(), '0');
    return negative ? '-' + digits : digits;
}

std::size_t countCodePoints(std::string_view text)
{
    std::size_t count = 0;
    for (const char c : text) {
        if (!isUtf8ContinuationByte(c))
            ++count;
    }
    return count;
}

// A whole number with blanks and a sign allowed around its digits; the part
// of a five-character time cannot hold more than five digits, so no overflow.
std::optional<std::int32_t> parseWholeNumber(std::string_view text)
{
    text = trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    std::int32_t value = 0;
    for (const char c : text)
        value = value * 10 + (c - '0');
    return negative ? -value : value;
}

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // unnamed

std::string formatPlayTime(std::int32_t seconds)
{
    // Computed in 64 bits: the minutes keep counting where a 16-bit product
    // would no longer fit.
    std::int64_t minutes = 0;
    std::int64_t rest = seconds;
    if (seconds >= 60) {
        minutes = seconds / 60;
        rest = seconds - minutes * 60;
    }
    return twoDigits(minutes) + ':' + twoDigits(rest);
}

std::optional<PlayTimeParts> playTimeParts(std::string_view text)
{
    if (countCodePoints(text) != 5)
        return std::nullopt;
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    std::string_view secondsPart = text.substr(colon + 1);
    secondsPart = secondsPart.substr(0, secondsPart.find(':'));
    const std::optional<std::int32_t> minutes = parseWholeNumber(text.substr(0, colon));
    const std::optional<std::int32_t> seconds = parseWholeNumber(secondsPart);
    if (!minutes || !seconds)
        return std::nullopt;
    return PlayTimeParts{*minutes, *seconds};
}

std::optional<std::int32_t> parsePlayTime(std::string_view text)
{
    if (countCodePoints(text) != 5)
        return 0;
    const std::optional<PlayTimeParts> parts = playTimeParts(text);
    if (!parts)
        return std::nullopt;
    return parts->minutes * 60 + parts->seconds;
}

std::optional<TrackCode> hexToCode(std::string_view hexDigits)
{
    // The last sixteen characters count, after padding with zeros on the
    // left. A character beyond ASCII is no hexadecimal digit: it stands as
    // one byte that stops the reading of its group.
    std::array<char, 16> padded;
    padded.fill('0');
    std::size_t filled = 0;
    for (std::size_t pos = hexDigits.size(); pos > 0 && filled < padded.size();) {
        --pos;
        const auto byte = static_cast<unsigned char>(hexDigits[pos]);
        if (isUtf8ContinuationByte(hexDigits[pos]))
            continue;
        padded[padded.size() - 1 - filled] = byte < 0x80 ? hexDigits[pos] : '\x80';
        ++filled;
    }

    TrackCode accumulator;
    for (std::size_t group = 0; group < 4; ++group) {
        std::int64_t groupValue = 0;
        for (std::size_t i = group * 4; i < group * 4 + 4; ++i) {
            const char c = padded[i];
            if (isBlank(c))
                continue;
            const int digit = hexDigitValue(c);
            if (digit < 0)
                break;
            groupValue = groupValue * 16 + digit;
        }
        std::optional<TrackCode> next = accumulator.checkedAdd(*TrackCode::fromWhole(groupValue));
        if (next && group < 3)
            next = next->checkedMultiply(65536);
        if (!next)
            return std::nullopt;
        accumulator = *next;
    }
    return accumulator;
}
