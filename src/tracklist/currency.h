#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

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

    // Reads a decimal number: blanks around it, an optional sign, digits, an
    // optional "." and fraction (rounded to four places, halves to even).
    // The separator is always ".", whatever the locale: a "," would split the
    // list file's fields. nullopt when the text is no number or out of range.
    static std::optional<TrackCode> fromDecimalText(std::string_view text);

    constexpr std::int64_t raw() const { return m_raw; }
    bool isWhole() const { return m_raw % kScale == 0; }

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
