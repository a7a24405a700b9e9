#include "win32/textmeasure_win.h"

#include "util/text.h"
#include "util/widestring_win.h"
#include "win32/gdi_win.h"

#include <limits>

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
        if (!isSimpleCharacter(c))
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
