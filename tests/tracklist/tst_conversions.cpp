#include "tracklist/conversions.h"
#include "tracklist/trackcode.h"
#include "tracklist/splitfields.h"
#include "util/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t kMaxRaw = LLONG_MAX;
constexpr std::int64_t kMinRaw = LLONG_MIN;

TEST(SecToTime, FormatsMinutesAndSeconds)
{
    const struct
    {
        const char *name;
        std::int32_t seconds;
        const char *text;
    } cases[] = {
        {"zero", 0, "00:00"},
        {"last second of the first minute", 59, "00:59"},
        {"one minute", 60, "01:00"},
        {"leading zeros", 185, "03:05"},
        {"last two-digit minute", 5999, "99:59"},
        {"three-digit minutes", 6000, "100:00"},
        {"last value a 16-bit product holds", 32819, "546:59"},
        {"minutes keep counting past 16 bits", 32820, "547:00"},
        {"ten hours", 36000, "600:00"},
        {"largest count", INT_MAX, "35791394:07"},
        {"negative seconds stay in the seconds", -5, "00:-05"},
        {"negative past a minute", -100, "00:-100"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(formatPlayTime(c.seconds), c.text) << c.name;
}

TEST(TimeToSec, ReadsFiveCharacterTexts)
{
    const struct
    {
        const char *name;
        const char *text;
        std::optional<std::int32_t> parsed;
    } cases[] = {
        {"minutes and seconds", "03:05", 185},
        {"four characters", "3:05", 0},
        {"six characters", "100:00", 0},
        {"empty", "", 0},
        {"parts after the second ignored", "1:2:3", 62},
        {"seconds above 59", "00:75", 75},
        {"largest two-digit form", "99:99", 6039},
        {"three-digit minutes in five characters", "999:9", 59949},
        {"blank in front", " 3:05", 185},
        {"signed minutes", "-1:05", -55},
        {"empty trailing part", "12:3:", 723},
        {"no colon", "12345", std::nullopt},
        {"letters", "ab:cd", std::nullopt},
        {"empty seconds", "1234:", std::nullopt},
        {"empty minutes", ":1234", std::nullopt},
        {"fraction", "1.5:2", std::nullopt},
        {"five characters of Japanese", "一二:三四", std::nullopt},
        {"Japanese counts per character, not per byte", "一:5", 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(parsePlayTime(c.text), c.parsed) << c.name;
}

TEST(TimeToSec, RoundTripsBelowOneHundredMinutes)
{
    for (std::int32_t seconds = 0; seconds <= 32819; ++seconds) {
        const std::int32_t expected = seconds < 6000 ? seconds : 0;
        ASSERT_EQ(parsePlayTime(formatPlayTime(seconds)), expected) << seconds;
    }
}

TEST(HexToCode, ReadsFourGroupsOfFour)
{
    const struct
    {
        const char *name;
        std::string text;
        std::optional<std::int64_t> whole;
    } cases[] = {
        {"sixteen digits", "0000000000000012", 18},
        {"short text padded on the left", "12", 18},
        {"only the last sixteen count", std::string(20, '0') + "12", 18},
        {"a seventeenth digit in front is dropped", "10000000000000012", 18},
        {"fifth digit lands in the next group", "10000", 65536},
        {"upper case", "FFFF", 65535},
        {"lower case", "ffffffff", 4294967295},
        {"empty", "", 0},
        {"largest value that fits", "346DC5D638865", 922337203685477},
        {"blanks and tabs inside a group skipped", "1 \t2", 18},
        {"other character ends its group", "1g2", 1},
        {"group beginning with another character counts 0", "g", 0},
        {"full-width digits are no digits", "１２", 0},
    };
    for (const auto &c : cases) {
        const std::optional<TrackCode> code = hexToCode(c.text);
        ASSERT_TRUE(code.has_value()) << c.name;
        EXPECT_EQ(code->raw(), *c.whole * TrackCode::kScale) << c.name;
    }
}

TEST(HexToCode, ValuesAboveTheRangeAreRefused)
{
    const struct
    {
        const char *name;
        const char *text;
    } cases[] = {
        {"one above the largest", "346DC5D638866"},
        {"overflow in the last multiplication", "346DC5D640000"},
        {"all sixteen digits set", "FFFFFFFFFFFFFFFF"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(hexToCode(c.text), std::nullopt) << c.name;
}

// A code's reading: four decimal places in the signed 64-bit range.
TEST(parseDecimal, ReadsCodes)
{
    const struct
    {
        const char *name;
        const char *text;
        std::optional<std::int64_t> raw;
    } cases[] = {
        {"whole number", "18", 180000},
        {"blanks and minus sign", " \t-3 ", -30000},
        {"plus sign", "+1.5", 15000},
        {"trailing zeros", "1.5000", 15000},
        {"no whole part", ".5", 5000},
        {"no fraction after the point", "5.", 50000},
        {"leading zeros beyond 64 bits", "000000000000000000000000001", 10000},
        {"half rounds to even, down", "0.00005", 0},
        {"half rounds to even, up", "0.00015", 2},
        {"above half rounds up", "0.000051", 1},
        {"below half rounds down", "0.000049999", 0},
        {"largest", "922337203685477.5807", kMaxRaw},
        {"smallest", "-922337203685477.5808", kMinRaw},
        {"smallest after rounding", "-922337203685477.58075", kMinRaw},
        {"one above the largest", "922337203685477.5808", std::nullopt},
        {"rounding past the largest", "922337203685477.58075", std::nullopt},
        {"one below the smallest", "-922337203685477.5809", std::nullopt},
        {"twenty digits", "99999999999999999999", std::nullopt},
        {"empty", "", std::nullopt},
        {"sign alone", "-", std::nullopt},
        {"point alone", ".", std::nullopt},
        {"comma as separator", "1,5", std::nullopt},
        {"exponent", "1e3", std::nullopt},
        {"hexadecimal", "0x12", std::nullopt},
        {"blank inside", "1 2", std::nullopt},
        {"two points", "1.2.3", std::nullopt},
    };
    for (const auto &c : cases) {
        const Decimal number = parseDecimal(c.text, 4, kMinRaw, kMaxRaw);
        EXPECT_EQ(number.reading == DecimalReading::Number ? std::optional(number.scaled) : std::nullopt, c.raw)
            << c.name;
    }
}

TEST(TrackCode, WritesDecimalText)
{
    const struct
    {
        const char *name;
        std::int64_t raw;
        const char *text;
    } cases[] = {
        {"zero", 0, "0"},
        {"whole number has no fraction", 180000, "18"},
        {"negative", -30000, "-3"},
        {"fraction without trailing zeros", 15000, "1.5"},
        {"smallest step", 1, "0.0001"},
        {"negative fraction", -1, "-0.0001"},
        {"zeros inside the fraction", 10203, "1.0203"},
        {"largest", kMaxRaw, "922337203685477.5807"},
        {"smallest", kMinRaw, "-922337203685477.5808"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(TrackCode::fromRaw(c.raw).toDecimalText(), c.text) << c.name;
        EXPECT_EQ(parseDecimal(c.text, 4, kMinRaw, kMaxRaw).scaled, c.raw) << c.name;
    }
}

TEST(TrackCode, ArithmeticReportsOverflow)
{
    EXPECT_EQ(TrackCode::fromWhole(922337203685477), TrackCode::fromRaw(9223372036854770000));
    EXPECT_EQ(TrackCode::fromWhole(922337203685478), std::nullopt);
    EXPECT_EQ(TrackCode::fromRaw(kMaxRaw).checkedAdd(TrackCode::fromRaw(1)), std::nullopt);
    EXPECT_EQ(TrackCode::fromRaw(kMaxRaw / 2 + 1).checkedMultiply(2), std::nullopt);
}

TEST(SplitFields, SplitsAtCommasOutsideQuotes)
{
    const struct
    {
        const char *name;
        const char *line;
        std::int16_t lastIndex;
        std::vector<std::string> fields;
    } cases[] = {
        {"six plain fields", "a,b,c,d,e,f", 5, {"a", "b", "c", "d", "e", "f"}},
        {"quoted comma stays in its field", "1,\"a,b\",c", 2, {"1", "\"a,b\"", "c"}},
        {"doubled quotation marks kept", "\"a\"\"b\",c", 1, {"\"a\"\"b\"", "c"}},
        {"quotation mark inside a field toggles quoting", "a\"b,c\"d,e", 1, {"a\"b,c\"d", "e"}},
        {"unclosed quotation mark takes the rest", "a,\"b,c,d", 3, {"a", "\"b,c,d", "", ""}},
        {"rest after the last field ignored", "a,b,c,d,e,f,g,h", 5, {"a", "b", "c", "d", "e", "f"}},
        {"fields not reached stay empty", "a,b", 3, {"a", "b", "", ""}},
        {"empty fields", ",,", 2, {"", "", ""}},
        {"nothing trimmed", " a , b ", 1, {" a ", " b "}},
        {"single field", "a,b", 0, {"a"}},
        {"empty line", "", 1, {"", ""}},
    };
    for (const auto &c : cases) {
        std::vector<std::string> fields = {"left over"};
        splitFields(c.line, c.lastIndex, fields);
        EXPECT_EQ(fields, c.fields) << c.name;
    }
}

} // unnamed
