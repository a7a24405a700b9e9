#include "tracklist/trackcode.h"

#include <cstddef>

std::optional<TrackCode> TrackCode::fromWhole(std::int64_t whole)
{
    std::int64_t raw = 0;
    if (__builtin_mul_overflow(whole, kScale, &raw))
        return std::nullopt;
    return TrackCode(raw);
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
