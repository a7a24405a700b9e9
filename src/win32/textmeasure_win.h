#pragma once

#include "player/textmeasure.h"
#include "win32/gdi_win.h"

#include <windows.h>

#include <string>

// Widths of texts in the window's font as GDI draws them, in twips at the
// window's DPI. Holds a memory DC with the font selected for its lifetime.
class GdiTextMeasure : public TextMeasure
{
public:
    GdiTextMeasure(HFONT font, UINT dpi);
    GdiTextMeasure(const GdiTextMeasure &) = delete;
    GdiTextMeasure &operator=(const GdiTextMeasure &) = delete;

    float widthTwips(std::string_view text) override;
    // GDI measures fast enough that every text is measured.
    float upperBoundTwips(std::string_view text) override;

private:
    MemoryDc m_dc;
    SelectedObject m_font; // put back before the DC goes
    UINT m_dpi;
};
