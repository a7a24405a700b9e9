#pragma once

#include "player/textmeasure.h"

#include <windows.h>

#include <string>

// Widths of texts in the window's font as GDI draws them, in twips at the
// window's DPI. Holds a memory DC with the font selected for its lifetime.
class GdiTextMeasure : public TextMeasure
{
public:
    GdiTextMeasure(HFONT font, UINT dpi);
    ~GdiTextMeasure() override;
    GdiTextMeasure(const GdiTextMeasure &) = delete;
    GdiTextMeasure &operator=(const GdiTextMeasure &) = delete;

    float widthTwips(const std::string &text) override;
    // GDI measures fast enough that every text is measured.
    float upperBoundTwips(const std::string &text) override;

private:
    HDC m_dc;
    HGDIOBJ m_previousFont;
    UINT m_dpi;
};
