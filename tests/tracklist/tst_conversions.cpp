#include "tracklist/conversions.h"
#include "tracklist/splitfields.h"
#include "tracklist/trackcode.h"
#include "util/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>
#include <vector>

namespace {

TEST(PlayTime, FormatsAndParses)
{
    const struct
    {
        const char *name;
        std::int32_t seconds;
        const char *text;
    } formats[] = {
        {"zero", 0, "00:00"}, {"leading zeros", 185, "03:05"}, {"last two-digit minute", 5999, "99:59"},
        {"three-digit minutes", 6000, "100:00"}, {"minutes keep counting past 16 bits", 32820, "547:00"},
        {"largest count", INT_MAX, "35791394:07"}, {"negative seconds stay in the seconds", -5, "00:-05"},
    };
    for (const auto &c : formats)
        EXPECT_EQ(formatPlayTime(c.seconds), c.text) << c.name;

    const struct
    {
        const char *name;
        const char *text;
        std::optional<std::int32_t> seconds;
    } parses[] = {
        {"minutes and seconds", "03:05", 185}, {"four characters", "3:05", 0}, {"six characters", "100:00", 0},
        {"empty", "", 0}, {"parts after the second ignored", "1:2:3", 62}, {"largest two-digit form", "99:99", 6039},
        {"three-digit minutes in five characters", "999:9", 59949}, {"signed minutes", "-1:05", -55},
        {"no colon", "12345", std::nullopt}, {"letters", "ab:cd", std::nullopt}, {"empty seconds", "1234:", std::nullopt},
        {"fraction", "1.5:2", std::nullopt}, {"Japanese counts per character, not per byte", "一:5", 0},
    };
    for (const auto &c : parses)
        EXPECT_EQ(parsePlayTime(c.text), c.seconds) << c.name;
}

TEST(HexToCode, ReadsFourGroupsOfFourUpToTheRange)
{
    const struct
    {
        const char *name;
        std::string text;
        std::optional<std::int64_t> whole;
    } cases[] = {
        {"short text padded on the left", "12", 18},
        {"only the last sixteen digits count", "1" + std::string(20, '0') + "12", 18},
        {"fifth digit lands in the next group", "10000", 65536},
        {"both letter cases", "FFFFffff", 4294967295},
        {"empty", "", 0},
        {"blanks and tabs inside a group skipped", "1 \t2", 18},
        {"other character ends its group", "1g2", 1},
        {"full-width digits are no digits", "１２", 0},
        {"largest value that fits", "346DC5D638865", 922337203685477},
        {"one above the largest", "346DC5D638866", std::nullopt},
        {"overflow in the last multiplication", "346DC5D640000", std::nullopt},
        {"all sixteen digits set", "FFFFFFFFFFFFFFFF", std::nullopt},
    };
    for (const auto &c : cases) {
        const std::optional<TrackCode> code = hexToCode(c.text);
        EXPECT_EQ(code ? std::optional(code->raw()) : std::nullopt,
                  c.whole ? std::optional(*c.whole * TrackCode::kScale) : std::nullopt)
            << c.name;
    }
}

// Codes read with four decimal places in 64 bits, settings as whole numbers in 32 bits.
TEST(ParseDecimal, RoundsHalvesToEvenAndChecksTheRange)
{
    const struct
    {
        const char *name;
        const char *text;
        int places;
        std::optional<std::int64_t> scaled;
    } cases[] = {
        {"blanks and minus sign", " \t-3 ", 4, -30000},
        {"plus sign", "+1.5", 4, 15000},
        {"no whole part", ".5", 4, 5000},
        {"no fraction after the point", "5.", 4, 50000},
        {"leading zeros beyond 64 bits", "000000000000000000000000001", 4, 10000},
        {"half rounds to even, down", "0.00005", 4, 0},
        {"half rounds to even, up", "0.00015", 4, 2},
        {"above half rounds up", "0.000051", 4, 1},
        {"largest code", "922337203685477.5807", 4, LLONG_MAX},
        {"smallest code after rounding", "-922337203685477.58075", 4, LLONG_MIN},
        {"one above the largest code", "922337203685477.5808", 4, std::nullopt},
        {"rounding past the largest code", "922337203685477.58075", 4, std::nullopt},
        {"twenty digits", "99999999999999999999", 4, std::nullopt},
        {"sign alone", "-", 4, std::nullopt},
        {"point alone", ".", 4, std::nullopt},
        {"comma as separator", "1,5", 4, std::nullopt},
        {"exponent", "1e3", 4, std::nullopt},
        {"blank inside", "1 2", 4, std::nullopt},
        {"two points", "1.2.3", 4, std::nullopt},
        {"setting: half rounds down to even", "2.5", 0, 2},
        {"setting: negative half to even", "-3.5", 0, -4},
        {"setting: above half rounds up", "2.5001", 0, 3},
        {"setting: largest", "2147483647", 0, INT_MAX},
        {"setting: rounding past the largest", "2147483647.5", 0, std::nullopt},
        {"setting: rounding to the smallest", "-2147483648.5", 0, INT_MIN},
        {"setting: one below the smallest", "-2147483649", 0, std::nullopt},
    };
    for (const auto &c : cases) {
        const Decimal number = c.places ? parseDecimal(c.text, 4, LLONG_MIN, LLONG_MAX)
                                        : parseDecimal(c.text, 0, INT_MIN, INT_MAX);
        EXPECT_EQ(number.reading == DecimalReading::Number ? std::optional(number.scaled) : std::nullopt, c.scaled)
            << c.name;
    }
}

TEST(TrackCode, WritesDecimalTextThatReadsBack)
{
    const struct
    {
        std::int64_t raw;
        const char *text;
    } cases[] = {
        {0, "0"}, {180000, "18"}, {-30000, "-3"}, {15000, "1.5"}, {1, "0.0001"}, {-1, "-0.0001"}, {10203, "1.0203"},
        {LLONG_MAX, "922337203685477.5807"}, {LLONG_MIN, "-922337203685477.5808"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(TrackCode::fromRaw(c.raw).toDecimalText(), c.text);
        EXPECT_EQ(parseDecimal(c.text, 4, LLONG_MIN, LLONG_MAX).scaled, c.raw) << c.text;
    }
    EXPECT_EQ(TrackCode::fromWhole(922337203685477), TrackCode::fromRaw(9223372036854770000));
    EXPECT_EQ(TrackCode::fromWhole(922337203685478), std::nullopt);
    EXPECT_EQ(TrackCode::fromRaw(LLONG_MAX).checkedAdd(TrackCode::fromRaw(1)), std::nullopt);
    EXPECT_EQ(TrackCode::fromRaw(LLONG_MAX / 2 + 1).checkedMultiply(2), std::nullopt);
}

TEST(SplitFields, SplitsAtCommasOutsideQuotes)
{
    const struct
    {
        const char *line;
        std::int16_t lastIndex;
        std::vector<std::string> fields;
    } cases[] = {
        {"a\"b,c\"d,e", 1, {"a\"b,c\"d", "e"}},  // a quotation mark inside a field toggles quoting
        {"a,\"b,c,d", 3, {"a", "\"b,c,d", "", ""}}, // an unclosed one takes the rest
        {"a,b,c", 1, {"a", "b"}},
        {" a ,", 2, {" a ", "", ""}},
        {"", 0, {""}},
    };
    for (const auto &c : cases) {
        std::vector<std::string> fields = {"left over"};
        splitFields(c.line, c.lastIndex, fields);
        EXPECT_EQ(fields, c.fields) << c.line;
    }
}

} // unnamed
