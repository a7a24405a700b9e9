#include "player/foldedtext.h"

#include "util/text.h"

#include <iterator>

namespace {

constexpr char32_t kVoicedMark = 0x3099; // the combining forms
constexpr char32_t kSemiVoicedMark = 0x309A;

// U+FF61 to U+FF9F in their full-width forms.
constexpr char16_t kHalfWidthKatakana[] = u"。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノ"
                                          u"ハヒフヘホマミムメモヤユヨラリルレロワン\u3099\u309A";
static_assert(std::size(kHalfWidthKatakana) == 0xFF9F - 0xFF61 + 2);

char32_t lowerCase(char32_t c)
{
    // Latin, Latin-1, Greek and Cyrillic capitals, all found in Japanese titles.
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3A9)
        || (c >= 0x410 && c <= 0x42F))
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F)
        return c + 0x50;
    return c;
}

char32_t foldAlone(char32_t c)
{
    if (c >= 0xFF01 && c <= 0xFF5E)
        c -= 0xFF01 - 0x21;
    else if (c == 0x3000)
        c = ' ';
    else if (c >= 0xFF61 && c <= 0xFF9F)
        c = kHalfWidthKatakana[c - 0xFF61];
    else if ((c >= 0x3041 && c <= 0x3096) || c == 0x309D || c == 0x309E)
        c += 0x60; // hiragana and its iteration marks
    else if (c == 0x309B || c == 0x309C)
        c -= 2; // the spacing sound marks
    return lowerCase(c);
}

// The katakana `kana` with the sound mark `mark` on it; 0 when `mark` is no
// sound mark or that kana takes none.
char32_t withSoundMark(char32_t kana, char32_t mark)
{
    const bool hRow = kana >= 0x30CF && kana <= 0x30DB && (kana - 0x30CF) % 3 == 0; // ハヒフヘホ
    if (mark == kSemiVoicedMark)
        return hRow ? kana + 2 : 0;
    if (mark != kVoicedMark)
        return 0;
    if (hRow || (kana >= 0x30AB && kana <= 0x30C1 && (kana - 0x30AB) % 2 == 0) || kana == 0x30C4 || kana == 0x30C6
        || kana == 0x30C8 || kana == 0x30FD)
        return kana + 1; // カ to チ, ツテト, ヽ
    if (kana == 0x30A6)
        return 0x30F4; // ヴ
    if (kana >= 0x30EF && kana <= 0x30F2)
        return kana + 8; // ヷヸヹヺ
    return 0;
}

} // namespace

void appendFolded(std::string_view utf8, std::string &out)
{
    std::size_t lastStart = out.size();
    char32_t last = 0;
    for (std::size_t pos = 0; pos < utf8.size();) {
        // ASCII, most of many titles, folds alone and takes no sound mark.
        if (const auto byte = static_cast<unsigned char>(utf8[pos]); byte < 0x80) {
            last = byte >= 'A' && byte <= 'Z' ? byte + 0x20 : byte;
            lastStart = out.size();
            out += static_cast<char>(last);
            ++pos;
            continue;
        }
        char32_t c = foldAlone(readUtf8Character(utf8, pos));
        if (const char32_t joined = withSoundMark(last, c); joined != 0) {
            out.resize(lastStart);
            c = joined;
        }
        lastStart = out.size();
        appendUtf8(out, c);
        last = c;
    }
}

std::string foldedText(std::string_view utf8)
{
    std::string folded;
    appendFolded(utf8, folded);
    return folded;
}
