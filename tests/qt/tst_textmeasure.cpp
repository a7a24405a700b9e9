// The window's text measurement with real fonts: the cheap width model's
// bound is never below the shaped width, so the widest-text rule keeps what
// measuring every text would give.

#include "qt/measurecache.h"
#include "qt/textmeasure_qt.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <random>

TEST(QtTextMeasure, BoundIsNeverBelowTheWidth)
{
    QWidget window;
    QtTextMeasure measure(window);
    const QString letters = QString::fromStdString(" !\"'(),-./0123479:;?AFLPTVWYafiklortvwy~ÀéßαЖ–…あいがっアイガーヴｱｲﾞ漢字朝、。・「」（）～　！１Ａ①");
    std::mt19937 random(11);
    // Kerning pairs, ligatures, punctuation that borrows the Japanese font,
    // combining marks, surrogates, tabs, other scripts, near ties.
    std::vector<std::string> texts = {
        "AVAVAVAVAV", "WWWWWWWWW", "To To To", "ffi ffl fi", "'''''''''", "ア'ア'ア'ア'", "(ア)(ア)(ア)",
        "漢字、漢字。", "e\u0301e\u0301e\u0301e\u0301", "😀😀😀", "a\tb\tc", "مرحبا بالعالم", "नमस्ते दुनिया",
        "ｱｲｳｴｵｶｷｸｹｺ", "ＡＢＣＤＥＦ", "東方紅魔郷　～ the Embodiment of Scarlet Devil", "iiiiiiiiiiiiiiii",
        "MMMMMMM", "...........", "　　　　", "", " ", "ゲ", "ー～ー～", "1111111111", "Ⅰ①㈱纊", "LTLTLT",
        "fftfft", "AflAfl", "あ 1 1 1", "1あ", "「Main」", "第12章 AV", "ｱ1ｱ1", "To～1～", "MUSIC TITLE 1 fi.",
        "MUSIC TITLE 1 f.f", "はじまりの朝 ～37～", "Track ＃12",
    };
    for (int i = 0; i < 20000; ++i) {
        QString text;
        for (unsigned length = 1 + random() % 10; length > 0; --length)
            text += letters[static_cast<qsizetype>(random() % letters.size())];
        texts.push_back(text.toStdString());
    }
    for (const std::string &text : texts)
        ASSERT_GE(measure.upperBoundTwips(text), measure.widthTwips(text)) << text;
}

// The model's cache keeps every measurement apart, however its keys differ:
// in the script (bits 32 and up), the pair, or the character before them.
TEST(MeasureCache, FindsWhatWasStoredAndNothingElse)
{
    MeasureCache<float> cache;
    std::vector<quint64> stored;
    for (quint64 script : {0ull, 2ull, 27ull})
        for (quint64 first = 0; first < 0x10000; first += 7)
            for (quint64 before : {0ull, 0x3042ull})
                stored.push_back((((script << 32) | (first << 16) | 0x41) << 16) | before);
    for (std::size_t i = 0; i < stored.size(); i += 2)
        cache.insert(stored[i], static_cast<float>(i));
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const float *found = cache.find(stored[i]);
        ASSERT_EQ(found != nullptr, i % 2 == 0) << i;
        ASSERT_TRUE(!found || *found == static_cast<float>(i)) << i;
    }
}
