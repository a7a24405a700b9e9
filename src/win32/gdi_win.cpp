#include "win32/gdi_win.h"

#include "util/widestring_win.h"

#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int kPointsPerInch = 72;
// After the window's own font: its English name, then fonts that come with
// every Windows since 10, Japanese or not.
constexpr const wchar_t *kOtherFaces[] = {L"MS PGothic", L"Yu Gothic UI", L"Meiryo UI", L"MS UI Gothic"};

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
    std::vector<std::wstring> faces{toWide(kWindowFontFace)};
    faces.insert(faces.end(), std::begin(kOtherFaces), std::end(kOtherFaces));
    std::wstring_view face = faces.front();
    if (const ScreenDc screen; screen.get()) {
        for (const std::wstring &candidate : faces) {
            if (systemHasFace(screen.get(), candidate)) {
                face = candidate;
                break;
            }
        }
    }
    LOGFONTW font{};
    font.lfHeight = -MulDiv(kWindowFontPoints, static_cast<int>(dpi), kPointsPerInch);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = SHIFTJIS_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    face.copy(font.lfFaceName, LF_FACESIZE - 1);
    return FontHandle(CreateFontIndirectW(&font));
}
