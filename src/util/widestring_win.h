#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <system_error>

// UTF-8 to UTF-16 and back at the Win32 edge: the program speaks UTF-8, the
// system's W functions take wide strings. Bytes that are no UTF-8 become
// U+FFFD.
std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view wide);

// Strict conversions with a code page (932, CP_ACP, CP_UTF8): nullopt on a
// byte sequence the code page does not define, or on a character it has no
// form for (best-fit look-alikes refused too).
std::optional<std::wstring> decodeCodePage(std::string_view bytes, unsigned codePage);
std::optional<std::string> encodeCodePage(std::wstring_view wide, unsigned codePage);

// The system's text for a Win32 error code, without its closing full stop.
std::string systemMessage(unsigned long error);
// What a Win32 error code means, for systemError and startError: the codes a
// user can act on by their meaning, any other as an I/O error.
std::error_condition systemMeaning(unsigned long error);
