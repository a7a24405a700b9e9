#pragma once

#include "player/textmeasure.h"

#include <windows.h>

#include <string>
#include <vector>

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
    // GDI neither kerns nor joins glyphs when it measures: a text of simple
    // characters is exactly as wide as its characters measured one by one,
    // each measured once. A long list is then measured only where its widest
    // texts may be.
    float upperBoundTwips(const std::string &text) override;

private:
    float twips(LONG pixels) const;

    HDC m_dc;
    HGDIOBJ m_previousFont;
    UINT m_dpi;
    std::vector<LONG> m_characterPixels; // per character of the first plane; -1 until measured
};
