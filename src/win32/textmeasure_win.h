#pragma once

#include "player/textmeasure.h"
#include "win32/gdi_win.h"

#include <windows.h>

#include <string>
#include <vector>

// Widths of texts in the window's font as GDI draws them, in twips at the
// window's DPI. Holds a memory DC with the font selected for its lifetime.
class GdiTextMeasure : public TextMeasure
{
public:
    GdiTextMeasure(HFONT font, UINT dpi);
    GdiTextMeasure(const GdiTextMeasure &) = delete;
    GdiTextMeasure &operator=(const GdiTextMeasure &) = delete;

    float widthTwips(std::string_view text) override;
    float upperBoundTwips(std::string_view text) override;

private:
    MemoryDc m_dc;
    SelectedObject m_font; // put back before the DC goes
    UINT m_dpi;
    std::vector<int> m_alone = std::vector<int>(0x10000, -1); // each character's width alone, -1 until measured
};
