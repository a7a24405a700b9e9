#include "tracklist/textcodec.h"

#include "tracklist/shiftjis.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LEMark = "\xFF\xFE";
constexpr std::string_view kUtf16BEMark = "\xFE\xFF";

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

// Only lines that one encoding reads and the other does not count. A
// Shift-JIS line is hardly ever valid UTF-8, so for most files the Shift-JIS
// codec is not run here at all.
bool readsMoreLinesAsUtf8(std::string_view fileBytes)
{
    struct Line
    {
        std::string_view bytes;
        bool utf8;
    };
    std::vector<Line> beyondAscii;
    bool anyUtf8 = false;
    std::size_t start = 0;
    while (start < fileBytes.size()) {
        const std::size_t end = std::min(fileBytes.find_first_of("\r\n", start), fileBytes.size());
        const std::string_view line = fileBytes.substr(start, end - start);
        if (!isAscii(line)) {
            beyondAscii.push_back({line, isValidUtf8(line)});
            anyUtf8 = anyUtf8 || beyondAscii.back().utf8;
        }
        start = end + 1;
    }
    if (!anyUtf8)
        return false;
    int utf8Only = 0;
    int shiftJisOnly = 0;
    for (const Line &line : beyondAscii) {
        const bool shiftJis = shiftJisToUtf8(line.bytes).has_value();
        utf8Only += line.utf8 && !shiftJis;
        shiftJisOnly += shiftJis && !line.utf8;
    }
    return utf8Only > shiftJisOnly;
}

void appendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // unnamed

ListEncoding detectListEncoding(std::string_view fileBytes)
{
    // An odd length is no UTF-16: such a file is read byte by byte, so
    // nothing of it is lost.
    if (fileBytes.size() % 2 == 0 && fileBytes.starts_with(kUtf16LEMark))
        return ListEncoding::Utf16LE;
    if (fileBytes.size() % 2 == 0 && fileBytes.starts_with(kUtf16BEMark))
        return ListEncoding::Utf16BE;
    if (fileBytes.starts_with(kUtf8Mark))
        return ListEncoding::Utf8WithBom;
    if (isValidUtf8(fileBytes) || readsMoreLinesAsUtf8(fileBytes))
        return ListEncoding::Utf8;
    return ListEncoding::ShiftJis;
}

std::string_view byteOrderMark(ListEncoding encoding)
{
    switch (encoding) {
    case ListEncoding::Utf8WithBom: return kUtf8Mark;
    case ListEncoding::Utf16LE: return kUtf16LEMark;
    case ListEncoding::Utf16BE: return kUtf16BEMark;
    default: return {};
    }
}

const char *encodingName(ListEncoding encoding)
{
    return encoding == ListEncoding::ShiftJis ? "Shift-JIS" : isUtf16(encoding) ? "UTF-16" : "UTF-8";
}

bool isUtf16(ListEncoding encoding)
{
    return encoding == ListEncoding::Utf16LE || encoding == ListEncoding::Utf16BE;
}

std::string utf16ToUtf8(std::string_view bytes, bool bigEndian)
{
    const auto unitAt = [bytes, bigEndian](std::size_t pos) {
        const auto first = static_cast<unsigned char>(bytes[pos]);
        const auto second = static_cast<unsigned char>(bytes[pos + 1]);
        return static_cast<char32_t>(bigEndian ? first << 8 | second : second << 8 | first);
    };
    std::string utf8;
    utf8.reserve(bytes.size());
    for (std::size_t pos = 0; pos + 1 < bytes.size(); pos += 2) {
        char32_t c = unitAt(pos);
        if (c >= 0xD800 && c <= 0xDBFF && pos + 3 < bytes.size()) {
            const char32_t low = unitAt(pos + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                pos += 2;
            }
        }
        appendUtf8(utf8, c);
    }
    return utf8;
}

std::string utf8ToUtf16(std::string_view utf8, bool bigEndian)
{
    std::string bytes;
    bytes.reserve(utf8.size() * 2);
    const auto put = [&bytes, bigEndian](char32_t unit) {
        const char high = static_cast<char>(unit >> 8 & 0xFF);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    };
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[pos]);
        const std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t i = 1; i < length && pos + i < utf8.size(); ++i)
            c = c << 6 | (static_cast<unsigned char>(utf8[pos + i]) & 0x3F);
        pos += length;
        if (c < 0x10000) {
            put(c);
        } else {
            put(0xD800 + ((c - 0x10000) >> 10));
            put(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return bytes;
}

// The byte-order mark belongs to the file, not to its texts: the reader and
// the writer handle it, so the UTF-8 forms (and UTF-16, already turned into
// UTF-8) convert texts the same way.
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
