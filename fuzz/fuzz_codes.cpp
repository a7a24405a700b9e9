// Track codes: hexToCode and reading decimal text agree with slow exact
// readings in 128-bit arithmetic, and every code's decimal text reads back as
// the same code.
#include "fuzzcheck.h"
#include "tracklist/conversions.h"
#include "tracklist/trackcode.h"
#include "util/text.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

__extension__ typedef __int128 Wide;

constexpr Wide kMaxRaw = std::numeric_limits<std::int64_t>::max();

std::string rawText(const std::optional<TrackCode> &code)
{
    return code ? std::to_string(code->raw()) : std::string("nothing");
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The text as characters (a UTF-8 lead byte stands for its whole character),
// padded to sixteen on the left; the whole value of the four groups of four
// as one number, which fits as a code when ten thousand times it does.
std::optional<TrackCode> referenceHex(std::string_view text)
{
    std::vector<char> characters;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            characters.push_back(c);
    }
    while (characters.size() < 16)
        characters.insert(characters.begin(), '0');
    characters.erase(characters.begin(), characters.end() - 16);

    Wide total = 0;
    for (std::size_t group = 0; group < 4; ++group) {
        Wide groupValue = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            const char c = characters[group * 4 + i];
            if (c == ' ' || c == '\t')
                continue;
            if (hexDigit(c) < 0)
                break;
            groupValue = groupValue * 16 + hexDigit(c);
        }
        total = total * 65536 + groupValue;
    }
    if (total * 10000 > kMaxRaw)
        return std::nullopt;
    return TrackCode::fromRaw(static_cast<std::int64_t>(total * 10000));
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Decimal text read on digit strings: blanks around, a sign, digits, "." and
// a fraction, rounded to four places with halves to even.
std::optional<TrackCode> referenceDecimal(std::string_view text)
{
    const std::optional<DecimalParts> parts = splitDecimal(text);
    if (!parts)
        return std::nullopt;
    const auto &[negative, whole, fraction] = *parts;
    if (whole.size() > 20) // far beyond the range, and beyond 128 bits' comfort
        return std::nullopt;
    Wide magnitude = 0;
    for (const char c : whole)
        magnitude = magnitude * 10 + (c - '0');
    for (std::size_t i = 0; i < 4; ++i)
        magnitude = magnitude * 10 + (i < fraction.size() ? fraction[i] - '0' : 0);
    if (fraction.size() > 4) {
        const std::string rest = fraction.substr(4);
        const bool aboveHalf = rest[0] > '5' || (rest[0] == '5' && rest.find_first_not_of('0', 1) != std::string::npos);
        const bool half = rest[0] == '5' && !aboveHalf;
        if (aboveHalf || (half && magnitude % 2 == 1))
            ++magnitude;
    }
    const Wide value = negative ? -magnitude : magnitude;
    if (value > kMaxRaw || value < -kMaxRaw - 1)
        return std::nullopt;
    return TrackCode::fromRaw(static_cast<std::int64_t>(value));
}

// "-" only for negatives, no leading zeros, a fraction only when there is
// one and then without trailing zeros.
bool isCanonicalDecimal(std::string_view text)
{
    if (text.starts_with('-'))
        text.remove_prefix(1);
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    if (whole.empty() || (whole.size() > 1 && whole[0] == '0'))
        return false;
    for (const char c : whole) {
        if (!isDigit(c))
            return false;
    }
    if (point == std::string_view::npos)
        return true;
    const std::string_view fraction = text.substr(point + 1);
    if (fraction.empty() || fraction.size() > 4 || fraction.back() == '0')
        return false;
    for (const char c : fraction) {
        if (!isDigit(c))
            return false;
    }
    return true;
}

// A code's decimal text as the list reader takes it.
std::optional<TrackCode> decimalCode(std::string_view text)
{
    const Decimal number = parseDecimal(text, 4, std::numeric_limits<std::int64_t>::min(),
                                        std::numeric_limits<std::int64_t>::max());
    if (number.reading != DecimalReading::Number)
        return std::nullopt;
    return TrackCode::fromRaw(number.scaled);
}

} // unnamed

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);

    const std::optional<TrackCode> hex = hexToCode(text);
    const std::optional<TrackCode> hexExpected = referenceHex(text);
    fuzzCheck(hex == hexExpected, "hexToCode differs from the exact reading", [&] {
        return fuzzShow(std::string(text)) + " gives " + rawText(hex) + ", expected " + rawText(hexExpected);
    });

    const std::optional<TrackCode> decimal = decimalCode(text);
    const std::optional<TrackCode> decimalExpected = referenceDecimal(text);
    fuzzCheck(decimal == decimalExpected, "the decimal reading differs from the exact reading", [&] {
        return fuzzShow(std::string(text)) + " gives " + rawText(decimal) + ", expected " + rawText(decimalExpected);
    });

    // The first eight bytes as a code: its decimal text must read back.
    std::int64_t raw = 0;
    std::memcpy(&raw, data, std::min(size, sizeof raw));
    const TrackCode code = TrackCode::fromRaw(raw);
    const std::string written = code.toDecimalText();
    fuzzCheck(isCanonicalDecimal(written), "decimal text not in its plain form", [&] { return written; });
    fuzzCheck(decimalCode(written) == code, "decimal text does not read back",
              [&] { return std::to_string(raw) + " written as " + written; });
    fuzzCheck(referenceDecimal(written) == code, "decimal text has another value",
              [&] { return std::to_string(raw) + " written as " + written; });
    return 0;
}
