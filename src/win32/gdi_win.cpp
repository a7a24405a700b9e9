#include "win32/gdi_win.h"

#include <string_view>

namespace {

constexpr int kPointSize = 9;
constexpr int kPointsPerInch = 72;
// The first is the window's own font; the others come with every Windows
// since 10, Japanese or not.
constexpr const wchar_t *kFaces[] = {L"ＭＳ Ｐゴシック", L"MS PGothic", L"Yu Gothic UI", L"Meiryo UI", L"MS UI Gothic"};

int CALLBACK noteFound(const LOGFONTW *, const TEXTMETRICW *, DWORD, LPARAM found)
{
    *reinterpret_cast<bool *>(found) = true;
    return 0; // one is enough
}

bool systemHasFace(HDC dc, std::wstring_view face)
{
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    face.copy(wanted.lfFaceName, LF_FACESIZE - 1);
    bool found = false;
    EnumFontFamiliesExW(dc, &wanted, noteFound, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

} // namespace

FontHandle createWindowFont(UINT dpi)
{
    // A face no system lists (a substitute only, as under Wine) is still
    // asked for by the first name: the font mapper then takes the substitute.
    std::wstring_view face = kFaces[0];
    if (HDC screen = GetDC(nullptr)) {
        for (const wchar_t *candidate : kFaces) {
            if (systemHasFace(screen, candidate)) {
                face = candidate;
                break;
            }
        }
        ReleaseDC(nullptr, screen);
    }
    LOGFONTW font{};
    font.lfHeight = -MulDiv(kPointSize, static_cast<int>(dpi), kPointsPerInch);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = SHIFTJIS_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    face.copy(font.lfFaceName, LF_FACESIZE - 1);
    return FontHandle(CreateFontIndirectW(&font));
}
