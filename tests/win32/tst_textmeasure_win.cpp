// GDI's widths in the window's font: the characters' widths alone add up to
// no less than a text's extent, so only texts that could widen a column are
// measured whole.

#include "win32/gdi_win.h"
#include "util/text.h"
#include "win32/textmeasure_win.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

TEST(GdiTextMeasure, BoundIsNeverBelowTheWidth)
{
    const FontHandle font = createWindowFont(96);
    GdiTextMeasure measure(font.get(), 96);
    const std::u32string letters = U" !\"'(),-./0123479:;?AFLPTVWYafiklortvwy~ÀéßαЖ–…あいがっアイガーヴｱｲﾞ漢字朝、。・「」（）～　！１Ａ①";
    std::vector<std::string> texts = {"AVAVAVAVAV", "WWWWWWWWW", "ffi ffl fi", "東方紅魔郷　～ the Embodiment of Scarlet Devil",
                                      "ｱｲｳｴｵｶｷｸｹｺ", "", "MUSIC TITLE 1 fi."};
    std::mt19937 random(11);
    for (int i = 0; i < 5000; ++i) {
        std::u32string text;
        for (unsigned length = 1 + random() % 10; length > 0; --length)
            text += letters[random() % letters.size()];
        std::string utf8;
        for (const char32_t c : text)
            appendUtf8(utf8, c);
        texts.push_back(utf8);
    }
    for (const std::string &text : texts)
        ASSERT_GE(measure.upperBoundTwips(text), measure.widthTwips(text)) << text;
    // Marks that combine with the letter before them are measured whole.
    EXPECT_TRUE(std::isinf(measure.upperBoundTwips("e\xCC\x81")));
}
