#include "util/widestring_win.h"

#include <windows.h>

#include <climits>

std::wstring toWide(std::string_view utf8)
{
    if (utf8.empty())
        return {};
    const int length = static_cast<int>(utf8.size());
    std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0)),
                      L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

std::string toUtf8(std::wstring_view wide)
{
    if (wide.empty())
        return {};
    const int length = static_cast<int>(wide.size());
    std::string utf8(
        static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr)),
        '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, utf8.data(), static_cast<int>(utf8.size()), nullptr,
                        nullptr);
    return utf8;
}

// MB_ERR_INVALID_CHARS makes the conversion fail on any byte sequence the code
// page does not define (for UTF-8 also overlong forms and surrogates) instead
// of putting in a replacement character.
std::optional<std::wstring> decodeCodePage(std::string_view bytes, unsigned codePage)
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

// Outside UTF-8 a character without a form sets `lossy` rather than becoming
// "?" unnoticed.
std::optional<std::string> encodeCodePage(std::wstring_view wide, unsigned codePage)
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

std::string systemMessage(unsigned long error)
{
    wchar_t *text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                            | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    std::string message;
    if (length > 0) {
        std::wstring wide(text, length);
        while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r' || wide.back() == L'.'))
            wide.pop_back();
        message = toUtf8(wide);
    }
    LocalFree(text);
    return message.empty() ? "error " + std::to_string(error) : message;
}

std::error_condition systemMeaning(unsigned long error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return std::errc::no_such_file_or_directory;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return std::errc::permission_denied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return std::errc::no_space_on_device;
    case ERROR_WRITE_PROTECT:
        return std::errc::read_only_file_system;
    default:
        return std::errc::io_error;
    }
}
