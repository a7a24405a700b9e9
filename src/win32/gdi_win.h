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

// Selects `object` into `dc` for as long as it lives, then puts back the
// object that was there, so a DC is never left holding one about to be deleted.
class SelectedObject
{
public:
    SelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(SelectObject(dc, object)) {}
    ~SelectedObject() { SelectObject(m_dc, m_previous); }
    SelectedObject(const SelectedObject &) = delete;
    SelectedObject &operator=(const SelectedObject &) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

struct MemoryDcDeleter
{
    void operator()(HDC dc) const { DeleteDC(dc); }
};
// Owns a DC made by CreateCompatibleDC.
using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, MemoryDcDeleter>;

// The screen's DC (null when the system gives none), released when it goes.
class ScreenDc
{
public:
    ScreenDc() : m_dc(GetDC(nullptr)) {}
    ~ScreenDc()
    {
        if (m_dc)
            ReleaseDC(nullptr, m_dc);
    }
    ScreenDc(const ScreenDc &) = delete;
    ScreenDc &operator=(const ScreenDc &) = delete;

    HDC get() const { return m_dc; }

private:
    HDC m_dc;
};

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
