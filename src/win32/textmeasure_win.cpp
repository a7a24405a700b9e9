#include "win32/textmeasure_win.h"

#include "util/text.h"
#include "util/widestring_win.h"
#include "win32/gdi_win.h"

#include <limits>

namespace {

// Characters that GDI sets side by side, each at its own advance: Latin,
// Greek and Cyrillic, punctuation, kana, kanji and the full-width forms, not
// marks that combine with their neighbour or scripts that are shaped.
bool standsAlone(char32_t c)
{
    return (c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c < 0x300) || (c >= 0x370 && c < 0x483)
        || (c >= 0x2010 && c <= 0x2027) || (c >= 0x2030 && c <= 0x205E) || (c >= 0x2100 && c < 0x2C00)
        || (c >= 0x3000 && c < 0xA000 && !(c >= 0x302A && c <= 0x302F) && c != 0x3099 && c != 0x309A)
        || (c >= 0xF900 && c < 0xFB00) || (c >= 0xFF00 && c < 0xFFF0);
}

} // namespace

GdiTextMeasure::GdiTextMeasure(HFONT font, UINT dpi)
    : m_dc(CreateCompatibleDC(nullptr))
    , m_font(m_dc.get(), font)
    , m_dpi(dpi)
{
}

float GdiTextMeasure::widthTwips(std::string_view text)
{
    const std::wstring wide = toWide(text);
    SIZE size{};
    GetTextExtentPoint32W(m_dc.get(), wide.c_str(), static_cast<int>(wide.size()), &size);
    return static_cast<float>(static_cast<double>(size.cx) * kTwipsPerInch / m_dpi);
}

// A text's extent is the sum of its characters' advances, so the sum of
// their widths alone, each measured once, bounds it.
float GdiTextMeasure::upperBoundTwips(std::string_view text)
{
    long sum = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const char32_t c = readUtf8Character(text, pos);
        if (!standsAlone(c))
            return std::numeric_limits<float>::infinity();
        int &width = m_alone[c];
        if (width < 0) {
            const wchar_t unit = static_cast<wchar_t>(c);
            SIZE size{};
            GetTextExtentPoint32W(m_dc.get(), &unit, 1, &size);
            width = size.cx;
        }
        sum += width;
    }
    return static_cast<float>(static_cast<double>(sum) * kTwipsPerInch / m_dpi);
}
