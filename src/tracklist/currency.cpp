#include "tracklist/trackcode.h"

#include <cstddef>
#include <limits>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // unnamed

std::optional<TrackCode> TrackCode::fromWhole(std::int64_t whole)
{
    std::int64_t raw = 0;
    if (__builtin_mul_overflow(whole, kScale, &raw))
        return std::nullopt;
    return TrackCode(raw);
}

std::optional<TrackCode> TrackCode::fromDecimalText(std::string_view text)
{
    std::size_t pos = 0;
    std::size_t end = text.size();
    while (pos < end && isBlank(text[pos]))
        ++pos;
    while (end > pos && isBlank(text[end - 1]))
        --end;

    bool negative = false;
    if (pos < end && (text[pos] == '-' || text[pos] == '+')) {
        negative = text[pos] == '-';
        ++pos;
    }

    // The magnitude is gathered unsigned, so that the most negative value,
    // whose magnitude has no positive counterpart, can still be read.
    std::uint64_t magnitude = 0;
    int digitCount = 0;
    const auto appendDigit = [&magnitude](char c) {
        return !__builtin_mul_overflow(magnitude, 10u, &magnitude)
            && !__builtin_add_overflow(magnitude, static_cast<unsigned>(c - '0'), &magnitude);
    };

    for (; pos < end && isDigit(text[pos]); ++pos, ++digitCount) {
        if (!appendDigit(text[pos]))
            return std::nullopt;
    }

    int fractionDigits = 0;
    char firstDropped = '0';
    bool nonZeroAfterFirstDropped = false;
    if (pos < end && text[pos] == '.') {
        for (++pos; pos < end && isDigit(text[pos]); ++pos, ++digitCount) {
            if (fractionDigits < 4) {
                if (!appendDigit(text[pos]))
                    return std::nullopt;
                ++fractionDigits;
            } else if (fractionDigits == 4) {
                firstDropped = text[pos];
                ++fractionDigits;
            } else if (text[pos] != '0') {
                nonZeroAfterFirstDropped = true;
            }
        }
    }
    if (pos != end || digitCount == 0)
        return std::nullopt;

    for (; fractionDigits < 4; ++fractionDigits) {
        if (__builtin_mul_overflow(magnitude, 10u, &magnitude))
            return std::nullopt;
    }

    // Round to four places, halves to even.
    const bool roundUp = firstDropped > '5'
        || (firstDropped == '5' && (nonZeroAfterFirstDropped || magnitude % 2 == 1));
    if (roundUp && __builtin_add_overflow(magnitude, 1u, &magnitude))
        return std::nullopt;

    constexpr auto maxPositive = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (negative) {
        if (magnitude > maxPositive + 1)
            return std::nullopt;
        return TrackCode(static_cast<std::int64_t>(0 - magnitude));
    }
    if (magnitude > maxPositive)
        return std::nullopt;
    return TrackCode(static_cast<std::int64_t>(magnitude));
}

std::string TrackCode::toDecimalText() const
{
    const bool negative = m_raw < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(m_raw)
                                             : static_cast<std::uint64_t>(m_raw);
    std::string text = std::to_string(magnitude / kScale);
    std::uint64_t fraction = magnitude % kScale;
    if (fraction != 0) {
        int places = 4;
        while (fraction % 10 == 0) {
            fraction /= 10;
            --places;
        }
        const std::string digits = std::to_string(fraction);
        text += '.';
        text.append(static_cast<std::size_t>(places) - digits.size(), '0');
        text += digits;
    }
    return negative ? '-' + text : text;
}

std::optional<TrackCode> TrackCode::checkedAdd(TrackCode other) const
{
    std::int64_t sum = 0;
    if (__builtin_add_overflow(m_raw, other.m_raw, &sum))
        return std::nullopt;
    return TrackCode(sum);
}

std::optional<TrackCode> TrackCode::checkedMultiply(std::int64_t factor) const
{
    std::int64_t product = 0;
    if (__builtin_mul_overflow(m_raw, factor, &product))
        return std::nullopt;
    return TrackCode(product);
}
