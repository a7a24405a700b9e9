#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Text helpers shared by the list file, tl.ini and the command line. All work
// on bytes; texts are UTF-8 unless said otherwise.

inline constexpr std::string_view kBlanks = " \t";

// A space or a TAB.
bool isBlank(char c);
// Without the given characters (by default blanks) at either end.
std::string_view trim(std::string_view text, std::string_view characters = kBlanks);

enum class ByteOrderMark { None, Utf8, Utf16LE, Utf16BE };

// The mark the bytes start with. A UTF-16 mark counts only for an even
// length: a file of odd length is no UTF-16 and is read byte by byte.
ByteOrderMark byteOrderMarkOf(std::string_view bytes);
std::string_view markBytes(ByteOrderMark mark);
// The text after the mark; that of a UTF-16 file is turned into UTF-8 in
// `storage`, which the result then points into.
std::string_view textAfterMark(std::string_view bytes, std::string &storage);

// UTF-16 text (without mark) to UTF-8 and back. A lone surrogate goes into
// its three-byte form (which is no valid UTF-8) and comes back unchanged; an
// odd last byte is dropped.
std::string utf16ToUtf8(std::string_view bytes, bool bigEndian);
std::string utf8ToUtf16(std::string_view utf8, bool bigEndian);

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view bytes);
// The length of the valid UTF-8 character at `pos`; 0 when none starts there.
std::size_t utf8CharacterLength(std::string_view bytes, std::size_t pos);
bool isUtf8ContinuationByte(char c);
// The character at `pos`, which moves past it; a byte that starts no valid
// character reads as U+FFFD.
char32_t readUtf8Character(std::string_view bytes, std::size_t &pos);
void appendUtf8(std::string &out, char32_t c);
bool isAscii(std::string_view bytes);

// FNV-1a, 64 bits: the same for the same bytes in every run and on every
// system, unlike std::hash. Continues from `hash` to cover several pieces.
inline constexpr std::uint64_t kFnv1aStart = 14695981039346656037ull;
std::uint64_t fnv1a(std::string_view bytes, std::uint64_t hash = kFnv1aStart);

enum class DecimalReading { Number, NotANumber, OutOfRange };

struct Decimal
{
    DecimalReading reading = DecimalReading::NotANumber;
    std::int64_t scaled = 0; // the number times 10^places, when read
};

// Reads blanks, an optional sign, digits, an optional "." and fraction, and
// blanks, whatever the locale; rounds to `places` decimal places with halves
// to the even neighbour. OutOfRange when the scaled value is outside
// lowest to highest (lowest below zero).
Decimal parseDecimal(std::string_view text, int places, std::int64_t lowest, std::int64_t highest);
