#include "tracklist/textcodec.h"

#include "tracklist/shiftjis.h"
#include "util/text.h"

#include <cstddef>
#include <vector>

namespace {

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
        // A plain loop: find_first_of calls memchr once per byte.
        std::size_t end = start;
        while (end < fileBytes.size() && fileBytes[end] != '\r' && fileBytes[end] != '\n')
            ++end;
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

} // unnamed

ListEncoding detectListEncoding(std::string_view fileBytes)
{
    switch (byteOrderMarkOf(fileBytes)) {
    case ByteOrderMark::Utf16LE: return ListEncoding::Utf16LE;
    case ByteOrderMark::Utf16BE: return ListEncoding::Utf16BE;
    case ByteOrderMark::Utf8: return ListEncoding::Utf8WithBom;
    case ByteOrderMark::None: break;
    }
    if (isValidUtf8(fileBytes) || readsMoreLinesAsUtf8(fileBytes))
        return ListEncoding::Utf8;
    return ListEncoding::ShiftJis;
}

std::string_view byteOrderMark(ListEncoding encoding)
{
    switch (encoding) {
    case ListEncoding::Utf8WithBom: return markBytes(ByteOrderMark::Utf8);
    case ListEncoding::Utf16LE: return markBytes(ByteOrderMark::Utf16LE);
    case ListEncoding::Utf16BE: return markBytes(ByteOrderMark::Utf16BE);
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
