#include "util/text.h"

#include <algorithm>

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LEMark = "\xFF\xFE";
constexpr std::string_view kUtf16BEMark = "\xFE\xFF";

bool allDigits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // unnamed

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view text, std::string_view characters)
{
    const std::size_t first = text.find_first_not_of(characters);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(characters) - first + 1);
}

ByteOrderMark byteOrderMarkOf(std::string_view bytes)
{
    if (bytes.size() % 2 == 0 && bytes.starts_with(kUtf16LEMark))
        return ByteOrderMark::Utf16LE;
    if (bytes.size() % 2 == 0 && bytes.starts_with(kUtf16BEMark))
        return ByteOrderMark::Utf16BE;
    if (bytes.starts_with(kUtf8Mark))
        return ByteOrderMark::Utf8;
    return ByteOrderMark::None;
}

std::string_view markBytes(ByteOrderMark mark)
{
    switch (mark) {
    case ByteOrderMark::Utf8: return kUtf8Mark;
    case ByteOrderMark::Utf16LE: return kUtf16LEMark;
    case ByteOrderMark::Utf16BE: return kUtf16BEMark;
    default: return {};
    }
}

std::string_view textAfterMark(std::string_view bytes, std::string &storage)
{
    const ByteOrderMark mark = byteOrderMarkOf(bytes);
    bytes.remove_prefix(markBytes(mark).size());
    if (mark != ByteOrderMark::Utf16LE && mark != ByteOrderMark::Utf16BE)
        return bytes;
    storage = utf16ToUtf8(bytes, mark == ByteOrderMark::Utf16BE);
    return storage;
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

void appendUtf8(std::string &out, char32_t c)
{
    // Appended at once: a long text is built of many characters.
    char bytes[4];
    std::size_t length = 0;
    if (c < 0x80) {
        bytes[length++] = static_cast<char>(c);
    } else if (c < 0x800) {
        bytes[length++] = static_cast<char>(0xC0 | c >> 6);
        bytes[length++] = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        bytes[length++] = static_cast<char>(0xE0 | c >> 12);
        bytes[length++] = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        bytes[length++] = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        bytes[length++] = static_cast<char>(0xF0 | c >> 18);
        bytes[length++] = static_cast<char>(0x80 | (c >> 12 & 0x3F));
        bytes[length++] = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        bytes[length++] = static_cast<char>(0x80 | (c & 0x3F));
    }
    out.append(bytes, length);
}

char32_t readUtf8Character(std::string_view bytes, std::size_t &pos)
{
    const std::size_t length = utf8CharacterLength(bytes, pos);
    if (length == 0) {
        ++pos;
        return 0xFFFD;
    }
    const auto lead = static_cast<unsigned char>(bytes[pos]);
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i)
        c = c << 6 | (static_cast<unsigned char>(bytes[pos + i]) & 0x3F);
    pos += length;
    return c;
}

std::size_t utf8CharacterLength(std::string_view bytes, std::size_t pos)
{
    const auto lead = static_cast<unsigned char>(bytes[pos]);
    if (lead < 0x80)
        return 1;
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
        return 0;
    }
    if (bytes.size() - pos < length)
        return 0;
    const auto second = static_cast<unsigned char>(bytes[pos + 1]);
    if (second < low || second > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (!isUtf8ContinuationByte(bytes[pos + i]))
            return 0;
    }
    return length;
}

bool isValidUtf8(std::string_view bytes)
{
    for (std::size_t pos = 0; pos < bytes.size();) {
        // ASCII runs are the common case: no call per byte for them.
        if (static_cast<unsigned char>(bytes[pos]) < 0x80) {
            ++pos;
            continue;
        }
        const std::size_t length = utf8CharacterLength(bytes, pos);
        if (length == 0)
            return false;
        pos += length;
    }
    return true;
}

bool isUtf8ContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

bool isAscii(std::string_view bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

Decimal parseDecimal(std::string_view text, int places, std::int64_t lowest, std::int64_t highest)
{
    text = trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if ((whole.empty() && fraction.empty()) || !allDigits(whole) || !allDigits(fraction))
        return {};

    // Gathered unsigned, so that the most negative value, whose magnitude has
    // no positive counterpart, can still be read.
    std::uint64_t magnitude = 0;
    bool overflow = false;
    const auto append = [&](char digit) {
        overflow = overflow || __builtin_mul_overflow(magnitude, 10u, &magnitude)
            || __builtin_add_overflow(magnitude, static_cast<unsigned>(digit - '0'), &magnitude);
    };
    for (const char c : whole)
        append(c);
    const auto kept = static_cast<std::size_t>(places);
    for (std::size_t i = 0; i < kept; ++i)
        append(i < fraction.size() ? fraction[i] : '0');
    if (fraction.size() > kept) {
        const char firstDropped = fraction[kept];
        const bool moreThanHalf = fraction.find_first_not_of('0', kept + 1) != std::string_view::npos;
        if (firstDropped > '5' || (firstDropped == '5' && (moreThanHalf || magnitude % 2 == 1)))
            overflow = overflow || __builtin_add_overflow(magnitude, 1u, &magnitude);
    }
    const std::uint64_t limit = negative ? 0 - static_cast<std::uint64_t>(lowest) : static_cast<std::uint64_t>(highest);
    if (overflow || magnitude > limit)
        return {DecimalReading::OutOfRange, 0};
    return {DecimalReading::Number, static_cast<std::int64_t>(negative ? 0 - magnitude : magnitude)};
}

std::uint64_t fnv1a(std::string_view bytes, std::uint64_t hash)
{
    for (const char c : bytes)
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return hash;
}
