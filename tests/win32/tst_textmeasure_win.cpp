// The Windows window's text measurement with the fonts Wine or Windows has:
// the cheap bound is never below the measured width, so the widest-text rule
// keeps what measuring every text would give.

#include "util/text.h"
#include "win32/gdi_win.h"
#include "win32/textmeasure_win.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

TEST(GdiTextMeasure, BoundIsNeverBelowTheWidth)
{
    const std::u32string alphabet = U" !\"'(),-./0123479:;?AFLPTVWYafiklortvwy~ÀéßαЖ–…あいがっアイガーヴｱｲﾞ漢字朝、。・「」（）～　！１Ａ①";
    // Kerning pairs, ligatures, punctuation that borrows a linked font,
    // combining marks, characters beyond the first plane, tabs, other scripts.
    std::vector<std::string> texts = {
        "AVAVAVAVAV", "To To To", "ffi ffl fi", "ア'ア'ア'ア'", "漢字、漢字。", "e\u0301e\u0301e\u0301", "😀😀😀",
        "a\tb\tc", "مرحبا بالعالم", "ｱｲｳｴｵｶｷｸｹｺ", "ＡＢＣＤＥＦ", "東方紅魔郷　～ the Embodiment of Scarlet Devil",
        "iiiiiiiiiiiiiiii", "MMMMMMM", "", "Ⅰ①㈱纊", "はじまりの朝 ～37～", "Track ＃12",
    };
    std::mt19937 random(11);
    for (int i = 0; i < 5000; ++i) {
        std::string text;
        for (unsigned length = 1 + random() % 10; length > 0; --length)
            appendUtf8(text, alphabet[random() % alphabet.size()]);
        texts.push_back(text);
    }
    for (const UINT dpi : {96u, 144u}) {
        const FontHandle font = createWindowFont(dpi);
        GdiTextMeasure measure(font.get(), dpi);
        for (const std::string &text : texts)
            ASSERT_GE(measure.upperBoundTwips(text), measure.widthTwips(text)) << text << " at " << dpi << " dpi";
    }
}
