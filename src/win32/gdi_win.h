#pragma once

#include "player/windowlayout.h"

#include <windows.h>

#include <memory>
#include <type_traits>

// Every position, size and width of the window is given in twips and turned
// into pixels here, at the window's DPI.
inline int twipsToPixels(int twips, UINT dpi)
{
    return MulDiv(twips, static_cast<int>(dpi), kTwipsPerInch);
}

inline RECT pixelsOf(const TwipsRect &twips, UINT dpi)
{
    const int left = twipsToPixels(twips.left, dpi);
    const int top = twipsToPixels(twips.top, dpi);
    return {left, top, left + twipsToPixels(twips.width, dpi), top + twipsToPixels(twips.height, dpi)};
}

struct FontDeleter
{
    void operator()(HFONT font) const { DeleteObject(font); }
};
// Owns a font; the control using it must be given another before it goes.
using FontHandle = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

// The window's one font, for the labels, buttons, check boxes and the grid:
// kWindowFontFace where the system has it, else a Japanese UI font it has
// (Windows without the Japanese supplement fonts), at the given DPI.
FontHandle createWindowFont(UINT dpi);
