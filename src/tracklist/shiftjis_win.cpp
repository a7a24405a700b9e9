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
    if (!shiftJis) {
        // Without MB_ERR_INVALID_CHARS the system puts U+FFFD in for what it cannot read.
        if (bytes.empty() || bytes.size() > INT_MAX)
            return std::string();
        const int length = static_cast<int>(bytes.size());
        const int size = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), length, nullptr, 0);
        std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), length, wide.data(), size);
        return toUtf8(wide);
    }
    // The system's lenient reading of code page 932 puts its own default
    // character (U+30FB) in and takes the byte after a bad lead byte with it:
    // one character at a time instead, strictly.
    std::string text;
    for (std::size_t at = 0; at < bytes.size();) {
        const bool pair = at + 1 < bytes.size() && IsDBCSLeadByteEx(kShiftJisCodePage, static_cast<BYTE>(bytes[at]));
        const std::size_t width = pair ? 2 : 1;
        if (const std::optional<std::wstring> wide = decodeCodePage(bytes.substr(at, width), kShiftJisCodePage)) {
            text += toUtf8(*wide);
            at += width;
        } else {
            text += "\uFFFD";
            ++at;
        }
    }
    return text;
}

std::optional<std::string> utf8ToShiftJis(std::string_view utf8)
{
    const std::optional<std::wstring> wide = decodeCodePage(utf8, CP_UTF8);
    if (!wide)
        return std::nullopt;
    return encodeCodePage(*wide, kShiftJisCodePage);
}
