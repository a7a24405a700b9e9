#include "tracklist/shiftjis.h"

#include "util/widestring_win.h"

#include <windows.h>

#include <climits>

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

std::string toUtf8Replacing(std::string_view bytes, bool shiftJis)
{
    // Without MB_ERR_INVALID_CHARS the system puts its replacement character
    // in for what it cannot read.
    const UINT codePage = shiftJis ? kShiftJisCodePage : CP_UTF8;
    if (bytes.empty() || bytes.size() > INT_MAX)
        return std::string();
    const int length = static_cast<int>(bytes.size());
    const int size = MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), length, wide.data(), size);
    return toUtf8(wide);
}

std::optional<std::string> utf8ToShiftJis(std::string_view utf8)
{
    const std::optional<std::wstring> wide = decodeCodePage(utf8, CP_UTF8);
    if (!wide)
        return std::nullopt;
    return encodeCodePage(*wide, kShiftJisCodePage);
}
