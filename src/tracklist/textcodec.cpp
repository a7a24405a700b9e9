#include "tracklist/textcodec.h"

#include "tracklist/shiftjis.h"
#include "util/text.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// What a character says about whether a line was read in the right encoding.
enum class Kind : std::uint8_t { Letter, Other, Accented, Rare, Japanese, HalfKana, Symbol, Bad, Count };

Kind kindOf(char32_t c)
{
    if (c < 0x80)
        return (c | 0x20) >= 'a' && (c | 0x20) <= 'z' ? Kind::Letter : Kind::Other;
    // C1 controls, bytes that read as nothing, the private use area.
    if (c < 0xA0 || c == 0xFFFD || (c >= 0xE000 && c <= 0xF8FF))
        return Kind::Bad;
    if (c < 0xC0 || c == 0xD7 || c == 0xF7)
        return Kind::Symbol;
    if (c < 0x180)
        return Kind::Accented; // Latin-1 letters and Latin Extended-A
    if (c < 0x800)
        return Kind::Rare; // Latin Extended-B, IPA, Greek, Cyrillic, ... Arabic
    if ((c >= 0x3000 && c <= 0x30FF) || (c >= 0x3400 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF)
        || (c >= 0xFF01 && c <= 0xFF60))
        return Kind::Japanese; // kana, kanji, full-width forms
    if (c >= 0xFF61 && c <= 0xFF9F)
        return Kind::HalfKana;
    return Kind::Symbol;
}

constexpr int kBadCharacter = -4;

// How likely two neighbouring characters are in a real title; a pair not
// named is neutral. UTF-8 read as Shift-JIS turns into a mix of kanji and
// half-width kana; Shift-JIS half-width kana read as UTF-8 into Latin,
// Greek and Cyrillic letters standing alone or among Japanese.
constexpr int pairScore(Kind a, Kind b)
{
    using enum Kind;
    const auto is = [a, b](Kind x, Kind y) { return (a == x && b == y) || (a == y && b == x); };
    if (is(Japanese, Japanese) || is(HalfKana, HalfKana) || is(Letter, Accented))
        return 2;
    if (is(Rare, Rare))
        return 1;
    if (is(HalfKana, Japanese))
        return -1;
    if (is(HalfKana, Letter) || is(Rare, Japanese) || is(Rare, HalfKana) || is(Rare, Accented))
        return -2;
    return 0;
}

constexpr std::size_t kKinds = std::size_t(Kind::Count);
constexpr auto kPairScores = [] {
    std::array<std::array<std::int8_t, kKinds>, kKinds> table{};
    for (std::size_t a = 0; a < kKinds; ++a) {
        for (std::size_t b = 0; b < kKinds; ++b)
            table[a][b] = static_cast<std::int8_t>(pairScore(Kind(a), Kind(b)));
    }
    return table;
}();

// How plausible the line's text is when read in that encoding, bytes that
// read as nothing counting against it.
long plausibility(std::string_view line, bool shiftJis)
{
    long score = 0;
    Kind previous = Kind::Other;
    for (std::size_t pos = 0; pos < line.size();) {
        const char32_t c = shiftJis ? readShiftJisCharacter(line, pos) : readUtf8Character(line, pos);
        const Kind kind = kindOf(c);
        score += kPairScores[std::size_t(previous)][std::size_t(kind)] + (kind == Kind::Bad ? kBadCharacter : 0);
        previous = kind;
    }
    return score;
}

// The lines beyond ASCII, each with whether it is valid UTF-8.
template <typename Visit>
void forEachLineBeyondAscii(std::string_view fileBytes, Visit visit)
{
    std::size_t start = 0;
    while (start < fileBytes.size()) {
        // Most lines are read only up to their first byte beyond ASCII, and
        // a Shift-JIS line's is hardly ever the start of a UTF-8 character.
        const std::size_t end = lineEndFrom(fileBytes, start);
        std::size_t pos = start;
        while (pos < end && static_cast<unsigned char>(fileBytes[pos]) < 0x80)
            ++pos;
        if (pos < end) {
            bool valid = true;
            while (valid && pos < end) {
                const std::size_t length = utf8CharacterLength(fileBytes.substr(0, end), pos);
                valid = length != 0;
                pos += length;
            }
            visit(fileBytes.substr(start, end - start), valid);
        }
        start = end + 1;
    }
}

// Only lines beyond ASCII count. A Shift-JIS line is hardly ever valid UTF-8,
// so a file in which no line is does without the weighing.
bool readsBetterAsUtf8(std::string_view fileBytes)
{
    bool anyUtf8 = false;
    forEachLineBeyondAscii(fileBytes, [&anyUtf8](std::string_view, bool valid) { anyUtf8 = anyUtf8 || valid; });
    if (!anyUtf8)
        return false;
    long utf8 = 0;
    long shiftJis = 0;
    forEachLineBeyondAscii(fileBytes, [&](std::string_view line, bool) {
        utf8 += plausibility(line, false);
        shiftJis += plausibility(line, true);
    });
    return utf8 > shiftJis;
}

} // unnamed

std::size_t lineEndFrom(std::string_view bytes, std::size_t from)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    constexpr std::uint64_t kHighs = 0x8080808080808080;
    const auto holds = [](std::uint64_t word, char c) {
        const std::uint64_t x = word ^ (kOnes * static_cast<unsigned char>(c));
        return ((x - kOnes) & ~x & kHighs) != 0;
    };
    std::size_t pos = from;
    for (; pos + 8 <= bytes.size(); pos += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes.data() + pos, 8);
        if (holds(word, '\r') || holds(word, '\n'))
            break;
    }
    while (pos < bytes.size() && bytes[pos] != '\r' && bytes[pos] != '\n')
        ++pos;
    return pos;
}

ListEncoding detectListEncoding(std::string_view fileBytes)
{
    switch (byteOrderMarkOf(fileBytes)) {
    case ByteOrderMark::Utf16LE: return ListEncoding::Utf16LE;
    case ByteOrderMark::Utf16BE: return ListEncoding::Utf16BE;
    case ByteOrderMark::Utf8: return ListEncoding::Utf8WithBom;
    case ByteOrderMark::None: break;
    }
    if (isAscii(fileBytes) || readsBetterAsUtf8(fileBytes))
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
std::optional<std::string> decodeListText(std::string_view bytes, ListEncoding encoding, bool *otherForms)
{
    if (otherForms)
        *otherForms = false;
    if (encoding != ListEncoding::ShiftJis) {
        if (!isValidUtf8(bytes))
            return std::nullopt;
        return std::string(bytes);
    }
    // ASCII bytes are the same characters in code page 932.
    if (isAscii(bytes))
        return std::string(bytes);
    return shiftJisToUtf8(bytes, otherForms);
}

std::optional<std::string> encodeListText(std::string_view utf8, ListEncoding encoding)
{
    if (!isValidUtf8(utf8))
        return std::nullopt;
    if (encoding != ListEncoding::ShiftJis || isAscii(utf8))
        return std::string(utf8);
    return utf8ToShiftJis(utf8);
}
