#include "tracklist/shiftjis.h"

#include <windows.h>

#include <climits>

// The system's own converters: code page 932 is what Windows reads and writes
// list files in, NEC and IBM extensions included, so no table is carried here.
static constexpr UINT kShiftJisCodePage = 932;

namespace {

// MB_ERR_INVALID_CHARS makes the conversion fail on any byte sequence the code
// page does not define (for UTF-8 also overlong forms and surrogates) instead
// of putting in a replacement character.
std::optional<std::wstring> toWide(std::string_view bytes, UINT codePage)
{
    if (bytes.empty())
        return std::wstring();
    if (bytes.size() > INT_MAX)
        return std::nullopt;
    const int length = static_cast<int>(bytes.size());
    const int size = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
    if (size <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, wide.data(), size);
    return wide;
}

// For code page 932 a character without a form there sets `lossy` rather than
// becoming "?" unnoticed; best-fit look-alikes are refused the same way.
std::optional<std::string> fromWide(const std::wstring &wide, UINT codePage)
{
    if (wide.empty())
        return std::string();
    const int length = static_cast<int>(wide.size());
    const DWORD flags = codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL lossy = FALSE;
    BOOL *lossyOut = codePage == CP_UTF8 ? nullptr : &lossy; // UTF-8 takes no such flag
    const int size = WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, nullptr, lossyOut);
    if (size <= 0 || lossy)
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

} // unnamed

std::optional<std::string> shiftJisToUtf8(std::string_view bytes)
{
    const std::optional<std::wstring> wide = toWide(bytes, kShiftJisCodePage);
    if (!wide)
        return std::nullopt;
    return fromWide(*wide, CP_UTF8);
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
    return fromWide(wide, CP_UTF8).value_or(std::string());
}

std::optional<std::string> utf8ToShiftJis(std::string_view utf8)
{
    const std::optional<std::wstring> wide = toWide(utf8, CP_UTF8);
    if (!wide)
        return std::nullopt;
    return fromWide(*wide, kShiftJisCodePage);
}
