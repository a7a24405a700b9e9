#include "tracklist/shiftjis.h"
#include "util/widestring_win.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

// The system's reading and writing of code page 932 against the program's
// own table, for every byte and pair. Wine lacks five single bytes that
// Windows reads; those are checked in tst_shiftjis.cpp.
TEST(CodePage932, AgreesWithTheSystem)
{
    const std::string wineLacks = "\x80\xA0\xFD\xFE\xFF";
    int compared = 0;
    for (unsigned first = 0; first < 0x100; ++first) {
        for (unsigned second = 0; second < 0x100; ++second) {
            const bool lead = !shiftJisToUtf8(std::string(1, static_cast<char>(first))).has_value();
            if (!lead && second > 0)
                break;
            const std::string bytes = lead ? std::string{static_cast<char>(first), static_cast<char>(second)}
                                           : std::string(1, static_cast<char>(first));
            const std::optional<std::wstring> system = decodeCodePage(bytes, 932);
            const std::optional<std::string> own = shiftJisToUtf8(bytes);
            if (!system && !lead && wineLacks.find(bytes[0]) != std::string::npos)
                continue;
            ++compared;
            EXPECT_EQ(system ? std::optional(toUtf8(*system)) : std::nullopt, own) << first << ' ' << second;
            if (own) {
                EXPECT_EQ(encodeCodePage(toWide(*own), 932), utf8ToShiftJis(*own)) << first << ' ' << second;
            }
        }
    }
    EXPECT_GT(compared, 60 * 256);
}

} // unnamed
