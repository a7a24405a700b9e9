#include "tracklist/shiftjis.h"

#include "util/widestring_win.h"

#include <windows.h>

// The system's own converters: code page 932 is what Windows reads and writes
// list files in, NEC and IBM extensions included, so no table is carried here.
static constexpr UINT kShiftJisCodePage = 932;

std::optional<std::string> shiftJisToUtf8(std::string_view bytes)
{
    const std::optional<std::wstring> wide = decodeCodePage(bytes, kShiftJisCodePage);
    if (!wide)
        return std::nullopt;
    return encodeCodePage(*wide, CP_UTF8);
}

std::optional<std::string> utf8ToShiftJis(std::string_view utf8)
{
    const std::optional<std::wstring> wide = decodeCodePage(utf8, CP_UTF8);
    if (!wide)
        return std::nullopt;
    return encodeCodePage(*wide, kShiftJisCodePage);
}
