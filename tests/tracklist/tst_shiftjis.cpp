#include "tracklist/shiftjis.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>

namespace {

using namespace std::string_literals;

// Facts of Windows' code page 932, read and written back: the bytes, the
// character, and the bytes Windows writes for it when that is another form.
TEST(CodePage932, MapsAsWindows)
{
    const struct
    {
        std::string bytes, utf8, written = {};
    } cases[] = {
        {"\x80", "\u0080"},          {"\xA0", "\uF8F0"},          {"\xFD\xFE\xFF", "\uF8F1\uF8F2\uF8F3"},
        {"\x5C\x7E\x1A\x7F", "\\~\x1A\x7F"},                       {"\xA1\xDF", "｡ﾟ"},
        {"\x81\x5F\x81\x60", "＼～"}, {"\x87\x40", "①"},             {"\xF0\x40\xF9\xFC", "\uE000\uE757"},
        {"\xED\x40", "纊", "\xFA\x5C"},  {"\xEE\xEF", "ⅰ", "\xFA\x40"},  {"\xFA\x4A", "Ⅰ", "\x87\x54"},
        {"\x87\x90", "≒", "\x81\xE0"}, {"\xEE\xF9", "￢", "\x81\xCA"}, {"\xFA\x54", "￢", "\x81\xCA"},
        {"\xFA\x58", "㈱", "\x87\x8A"}, {"\x87\x9A", "∵", "\x81\xE6"}, {"\xFA\x5B", "∵", "\x81\xE6"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(shiftJisToUtf8(c.bytes), c.utf8) << c.utf8;
        EXPECT_EQ(utf8ToShiftJis(c.utf8), c.written.empty() ? c.bytes : c.written) << c.utf8;
        EXPECT_EQ(hasOtherSpelling(c.bytes), !c.written.empty()) << c.utf8;
    }
}

TEST(CodePage932, RefusesWhatItDoesNotDefine)
{
    for (const std::string bad : {"\x81", "x\x9F", "\x81\x7F", "\x81\x20", "\x85\x40", "\xEB\x40", "\xFC\x4C"})
        EXPECT_EQ(shiftJisToUtf8(bad), std::nullopt) << testing::PrintToString(bad);
    for (const std::string none : {"é", "\u00A5", "🎵", "\xC3"})
        EXPECT_EQ(utf8ToShiftJis(none), std::nullopt) << none;
}

// Every byte and every lead and trail byte pair: what reads is written back
// as the same bytes, or as another form that reads as the same character
// (one written form per character); counts as in Windows' table.
TEST(CodePage932, RoundTripsEveryByteAndPair)
{
    int singles = 0;
    int pairs = 0;
    int respelled = 0;
    std::map<std::string, std::string> writtenFor;
    for (unsigned first = 0; first < 0x100; ++first) {
        const std::string single(1, static_cast<char>(first));
        if (const std::optional<std::string> text = shiftJisToUtf8(single)) {
            ++singles;
            EXPECT_EQ(utf8ToShiftJis(*text), single) << first;
            continue;
        }
        for (unsigned second = 0; second < 0x100; ++second) {
            const std::string pair = {static_cast<char>(first), static_cast<char>(second)};
            const std::optional<std::string> text = shiftJisToUtf8(pair);
            if (!text)
                continue;
            ++pairs;
            const std::optional<std::string> written = utf8ToShiftJis(*text);
            ASSERT_TRUE(written.has_value()) << first << ' ' << second;
            EXPECT_EQ(shiftJisToUtf8(*written), text) << first << ' ' << second;
            EXPECT_EQ(written->size(), 2u);
            EXPECT_EQ(hasOtherSpelling(pair), *written != pair);
            respelled += *written != pair;
            EXPECT_EQ(writtenFor.emplace(*text, *written).first->second, *written);
        }
    }
    EXPECT_EQ(singles, 256 - 60);
    EXPECT_EQ(pairs, 9604); // 1,880 of them user-defined (F040-F9FC)
    EXPECT_EQ(respelled, 398);
}

TEST(CodePage932, ShowsBadBytesAsReplacementCharacters)
{
    const std::tuple<std::string, bool, std::string> cases[] = { // the bytes, read as Shift-JIS, shown
        {"\x81\x7F\x82\xA0", true, "\uFFFD\x7Fあ"}, {"a\0b\xB1"s, true, "a\uFFFDbｱ"},
        {"caf\xE9 \xC3\xA9", false, "caf\uFFFD é"}, {"a\0b"s, false, "a\uFFFDb"},
    };
    for (const auto &[bytes, shiftJis, shown] : cases)
        EXPECT_EQ(toUtf8Replacing(bytes, shiftJis), shown) << shown;
}

} // unnamed
