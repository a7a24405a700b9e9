#include "tracklist/textcodec.h"

#include "tracklist/shiftjis.h"

#include <cstddef>

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view bytes)
{
    std::size_t pos = 0;
    const std::size_t size = bytes.size();
    while (pos < size) {
        const auto lead = static_cast<unsigned char>(bytes[pos]);
        if (lead < 0x80) {
            ++pos;
            continue;
        }
        std::size_t length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0)
                low = 0xA0;
            else if (lead == 0xED)
                high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0)
                low = 0x90;
            else if (lead == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (size - pos < length)
            return false;
        const auto second = static_cast<unsigned char>(bytes[pos + 1]);
        if (second < low || second > high)
            return false;
        for (std::size_t i = 2; i < length; ++i) {
            const auto next = static_cast<unsigned char>(bytes[pos + i]);
            if (next < 0x80 || next > 0xBF)
                return false;
        }
        pos += length;
    }
    return true;
}

bool isAscii(std::string_view bytes)
{
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

} // unnamed

ListEncoding detectListEncoding(std::string_view fileBytes)
{
    if (!isValidUtf8(fileBytes))
        return ListEncoding::ShiftJis;
    return fileBytes.starts_with(kByteOrderMark) ? ListEncoding::Utf8WithBom : ListEncoding::Utf8;
}

// The byte-order mark belongs to the file, not to its texts: the reader and
// the writer handle it, so both UTF-8 forms convert texts the same way.
std::optional<std::string> decodeListText(std::string_view bytes, ListEncoding encoding)
{
    if (encoding != ListEncoding::ShiftJis) {
        if (!isValidUtf8(bytes))
            return std::nullopt;
        return std::string(bytes);
    }
    // ASCII bytes are the same characters in code page 932.
    if (isAscii(bytes))
        return std::string(bytes);
    return shiftJisToUtf8(bytes);
}

std::optional<std::string> encodeListText(std::string_view utf8, ListEncoding encoding)
{
    if (!isValidUtf8(utf8))
        return std::nullopt;
    if (encoding != ListEncoding::ShiftJis || isAscii(utf8))
        return std::string(utf8);
    return utf8ToShiftJis(utf8);
}
