#pragma once

#include <cstdint>
#include <optional>
#include <string>

// A track code: an exact signed 64-bit count of ten-thousandths (four decimal
// places). No floating point is involved anywhere; arithmetic that would leave
// the range reports the overflow instead of wrapping.
class TrackCode
{
public:
    static constexpr std::int64_t kScale = 10000;

    constexpr TrackCode() = default;
    static constexpr TrackCode fromRaw(std::int64_t tenThousandths) { return TrackCode(tenThousandths); }
    // nullopt when the whole number does not fit.
    static std::optional<TrackCode> fromWhole(std::int64_t whole);

    constexpr std::int64_t raw() const { return m_raw; }

    // "-" for negatives, no thousands separators, "." and the fraction without
    // trailing zeros only when there is one: 18, -3, 1.5, 0.0001.
    std::string toDecimalText() const;

    std::optional<TrackCode> checkedAdd(TrackCode other) const;
    std::optional<TrackCode> checkedMultiply(std::int64_t factor) const;

    friend constexpr bool operator==(TrackCode, TrackCode) = default;

private:
    constexpr explicit TrackCode(std::int64_t raw) : m_raw(raw) {}
    std::int64_t m_raw = 0;
};
