#include "tracklist/conversions.h"
#include "tracklist/trackcode.h"
#include "util/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>
#include <utility>

using Expected = std::optional<std::int64_t>;
constexpr std::nullopt_t kNone = std::nullopt;

TEST(PlayTime, FormatsAndParses)
{
    // Minutes keep counting past 16 bits; negative seconds stay in the seconds.
    const std::pair<std::int32_t, const char *> formats[] = {
        {0, "00:00"}, {59, "00:59"}, {60, "01:00"}, {185, "03:05"}, {5999, "99:59"}, {6000, "100:00"}, {32820, "547:00"},
        {INT_MAX, "35791394:07"}, {-5, "00:-05"},
    };
    for (const auto &[seconds, text] : formats)
        EXPECT_EQ(formatPlayTime(seconds), text);
    // Only five characters count (Japanese per character, not per byte); parts after the second are ignored.
    const std::pair<const char *, std::optional<std::int32_t>> parses[] = {
        {"03:05", 185}, {"3:05", 0}, {"100:00", 0}, {"", 0}, {"1:2:3", 62}, {"99:99", 6039}, {"999:9", 59949},
        {"-1:05", -55}, {"一:5", 0}, {"12345", kNone}, {"ab:cd", kNone}, {"1234:", kNone}, {"1.5:2", kNone},
    };
    for (const auto &[text, seconds] : parses)
        EXPECT_EQ(parsePlayTime(text), seconds) << text;
}

TEST(HexToCode, ReadsFourGroupsOfFourUpToTheRange)
{
    // Padded on the left, only the last sixteen digits count, the fifth lands in the next group; blanks inside a
    // group are skipped and another character ends it; the largest that fits, then overflow in the last steps.
    const std::pair<std::string, Expected> cases[] = {
        {"12", 18}, {"1" + std::string(20, '0') + "12", 18}, {"10000", 65536}, {"FFFFffff", 4294967295},
        {"1 \t2", 18}, {"1g2", 1}, {"１２", 0}, {"346DC5D638865", 922337203685477}, {"346DC5D638866", kNone},
        {"346DC5D640000", kNone}, {"FFFFFFFFFFFFFFFF", kNone},
    };
    for (const auto &[text, whole] : cases) {
        const std::optional<TrackCode> code = hexToCode(text);
        EXPECT_EQ(code ? Expected(code->raw()) : kNone, whole ? Expected(*whole * TrackCode::kScale) : kNone) << text;
    }
}

// Codes are read with four decimal places in 64 bits and written back, settings as whole numbers in 32 bits.
TEST(Decimal, ReadRoundingHalvesToEvenWithinTheRangeAndWrittenBack)
{
    const std::pair<const char *, Expected> codes[] = {
        {" \t-3 ", -30000}, {"+1.5", 15000}, {".5", 5000}, {"5.", 50000}, {"000000000000000000000000001", 10000},
        {"0.00005", 0}, {"0.00015", 2}, {"0.000051", 1}, {"922337203685477.5807", LLONG_MAX},
        {"-922337203685477.58075", LLONG_MIN}, {"922337203685477.5808", kNone}, {"922337203685477.58075", kNone},
        {"99999999999999999999", kNone}, {"-", kNone}, {".", kNone}, {"1,5", kNone}, {"1e3", kNone}, {"1 2", kNone},
        {"1.2.3", kNone},
    };
    const std::pair<const char *, Expected> settings[] = {
        {"2.5", 2}, {"-3.5", -4}, {"2.5001", 3}, {"2147483647", INT_MAX}, {"2147483647.5", kNone},
        {"-2147483648.5", INT_MIN}, {"-2147483649", kNone},
    };
    const auto read = [](Decimal n) { return n.reading == DecimalReading::Number ? Expected(n.scaled) : kNone; };
    for (const auto &[text, scaled] : codes)
        EXPECT_EQ(read(parseDecimal(text, 4, LLONG_MIN, LLONG_MAX)), scaled) << text;
    for (const auto &[text, scaled] : settings)
        EXPECT_EQ(read(parseDecimal(text, 0, INT_MIN, INT_MAX)), scaled) << text;
    // A code is written as the shortest decimal text that reads back as the same code.
    const std::pair<std::int64_t, const char *> written[] = {
        {0, "0"}, {180000, "18"}, {-30000, "-3"}, {15000, "1.5"}, {1, "0.0001"}, {-1, "-0.0001"}, {10203, "1.0203"},
        {LLONG_MAX, "922337203685477.5807"}, {LLONG_MIN, "-922337203685477.5808"},
    };
    for (const auto &[raw, text] : written) {
        EXPECT_EQ(TrackCode::fromRaw(raw).toDecimalText(), text);
        EXPECT_EQ(parseDecimal(text, 4, LLONG_MIN, LLONG_MAX).scaled, raw) << text;
    }
}

