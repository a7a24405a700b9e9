#include "tracklist/shiftjis.h"

#include "tracklist/cp932table.h"
#include "util/text.h"

#include <cstdint>
#include <vector>

namespace {

constexpr std::uint16_t kLeadByte = 0xFFFF;
constexpr char32_t kReplacement = 0xFFFD;

// The character of a lead byte and a trail byte; 0 for none.
char32_t pairCharacter(unsigned lead, unsigned trail)
{
    const unsigned row = lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31;
    if (trail >= 0x40 && trail <= 0x7E)
        return kCp932Pairs[row][trail - 0x40];
    if (trail >= 0x80 && trail <= 0xFC)
        return kCp932Pairs[row][trail - 0x41];
    return 0;
}

// The bytes each character below U+10000 is written as: a single byte below
// 0x100, lead and trail byte above; 0 for none (U+0000 is plain ASCII).
const std::vector<std::uint16_t> &writtenForms()
{
    static const std::vector<std::uint16_t> forms = [] {
        std::vector<std::uint16_t> table(0x10000, 0);
        for (unsigned byte = 0x80; byte < 0x100; ++byte) {
            if (kCp932Single[byte] != kLeadByte)
                table[kCp932Single[byte]] = static_cast<std::uint16_t>(byte);
        }
        // Windows writes a character of several forms in its first one,
        // except that NEC's copies of IBM's characters (rows ED and EE) are
        // only read: such a character is written in IBM's row (FA-FC).
        for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
            if (kCp932Single[lead] != kLeadByte)
                continue;
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                const char32_t c = pairCharacter(lead, trail);
                std::uint16_t &form = table[c];
                if (c != 0 && (form == 0 || form >> 8 == 0xED || form >> 8 == 0xEE))
                    form = static_cast<std::uint16_t>(lead << 8 | trail);
            }
        }
        return table;
    }();
    return forms;
}

// Writes the UTF-8 form of a character below U+10000 at `out`.
char *putUtf8(char *out, char32_t c)
{
    if (c < 0x80) {
        *out++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *out++ = static_cast<char>(0xC0 | c >> 6);
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *out++ = static_cast<char>(0xE0 | c >> 12);
        *out++ = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

inline char32_t characterAt(std::string_view bytes, std::size_t &pos)
{
    const std::uint16_t single = kCp932Single[static_cast<unsigned char>(bytes[pos])];
    if (single != kLeadByte) {
        ++pos;
        return single;
    }
    const char32_t pair = pos + 1 < bytes.size()
        ? pairCharacter(static_cast<unsigned char>(bytes[pos]), static_cast<unsigned char>(bytes[pos + 1]))
        : 0;
    pos += pair != 0 ? 2 : 1;
    return pair != 0 ? pair : kReplacement;
}

// Only pairs with these lead bytes have a form that Windows does not write.
bool mayBeOtherForm(unsigned char lead)
{
    return lead == 0x87 || lead == 0xED || lead == 0xEE || lead == 0xFA;
}

} // unnamed

char32_t readShiftJisCharacter(std::string_view bytes, std::size_t &pos)
{
    return characterAt(bytes, pos);
}

char *shiftJisToUtf8At(std::string_view bytes, char *out, bool &mayHaveOtherForms)
{
    for (std::size_t pos = 0; pos < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[pos]);
        if (byte < 0x80) {
            *out++ = static_cast<char>(byte);
            ++pos;
            continue;
        }
        mayHaveOtherForms = mayHaveOtherForms || mayBeOtherForm(byte);
        // No character of code page 932 is U+FFFD: it stands for a bad byte.
        const char32_t c = characterAt(bytes, pos);
        if (c == kReplacement)
            return nullptr;
        out = putUtf8(out, c);
    }
    return out;
}

std::optional<std::string> shiftJisToUtf8(std::string_view bytes, bool *otherForms)
{
    std::string text(bytes.size() * 3, '\0');
    bool mayHaveOtherForms = false;
    const char *end = shiftJisToUtf8At(bytes, text.data(), mayHaveOtherForms);
    if (!end)
        return std::nullopt;
    text.resize(static_cast<std::size_t>(end - text.data()));
    if (otherForms)
        *otherForms = mayHaveOtherForms && hasOtherSpelling(bytes);
    return text;
}

bool appendUtf8AsShiftJis(std::string_view utf8, std::string &out)
{
    const std::vector<std::uint16_t> &forms = writtenForms();
    for (std::size_t pos = 0; pos < utf8.size();) {
        if (static_cast<unsigned char>(utf8[pos]) < 0x80) {
            out += utf8[pos++];
            continue;
        }
        // A byte that is no UTF-8 reads as U+FFFD, which has no form here.
        const char32_t c = readUtf8Character(utf8, pos);
        if (c >= forms.size() || forms[c] == 0)
            return false;
        if (forms[c] > 0xFF)
            out += static_cast<char>(forms[c] >> 8);
        out += static_cast<char>(forms[c] & 0xFF);
    }
    return true;
}

std::optional<std::string> utf8ToShiftJis(std::string_view utf8)
{
    std::string bytes;
    bytes.reserve(utf8.size());
    if (!appendUtf8AsShiftJis(utf8, bytes))
        return std::nullopt;
    return bytes;
}

bool hasOtherSpelling(std::string_view bytes)
{
    const std::vector<std::uint16_t> &forms = writtenForms();
    for (std::size_t pos = 0; pos < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[pos]);
        const std::size_t at = pos;
        const char32_t c = characterAt(bytes, pos);
        if (pos == at + 2 && mayBeOtherForm(lead) && forms[c] != (lead << 8 | static_cast<unsigned char>(bytes[at + 1])))
            return true;
    }
    return false;
}

std::string toUtf8Replacing(std::string_view bytes, bool shiftJis)
{
    std::string text;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const char32_t c = shiftJis ? readShiftJisCharacter(bytes, pos) : readUtf8Character(bytes, pos);
        appendUtf8(text, c == 0 ? kReplacement : c);
    }
    return text;
}
