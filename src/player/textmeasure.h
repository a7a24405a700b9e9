#pragma once

#include <string_view>

// Characters that fonts set one after another, each at its own advance apart
// from kerning and ligatures with their neighbours: no combining marks,
// joiners, surrogates, variation selectors, right-to-left text or scripts
// that shape by context. Only texts of these have cheap width bounds.
inline bool isSimpleCharacter(char32_t c)
{
    return (c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c < 0x300 && c != 0xAD) || (c >= 0x370 && c < 0x483)
        || (c >= 0x2010 && c <= 0x2027) || (c >= 0x2030 && c <= 0x205E) || (c >= 0x2100 && c < 0x2C00)
        || (c >= 0x2E80 && c < 0x2FE0)
        || (c >= 0x3000 && c < 0xA000 && !(c >= 0x302A && c <= 0x302F) && c != 0x3099 && c != 0x309A)
        || (c >= 0xF900 && c < 0xFB00) || (c >= 0xFF00 && c < 0xFFF0);
}

// Widths of texts as the window draws them in its own font, in twips. Texts
// are UTF-8.
class TextMeasure
{
public:
    virtual ~TextMeasure() = default;

    // The text's width.
    virtual float widthTwips(std::string_view text) = 0;
    // A cheap width never below widthTwips(text); infinity when the window
    // cannot tell without measuring.
    virtual float upperBoundTwips(std::string_view text) = 0;
};
