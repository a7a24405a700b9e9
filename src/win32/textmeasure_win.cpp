#include "win32/textmeasure_win.h"

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

float GdiTextMeasure::upperBoundTwips(std::string_view)
{
    return std::numeric_limits<float>::infinity();
}
