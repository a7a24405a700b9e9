#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Code page 932 (Shift-JIS with NEC and IBM extensions) from one table on
// every system, so a list reads the same on Linux and on Windows: exactly as
// Windows maps it, the single bytes 80, A0 and FD-FF included, which some
// other converters refuse. nullopt when the input holds something the other
// side has no form for. `otherForms`, when given, tells whether
// hasOtherSpelling(bytes) holds, found along the way at almost no cost.
std::optional<std::string> shiftJisToUtf8(std::string_view bytes, bool *otherForms = nullptr);
std::optional<std::string> utf8ToShiftJis(std::string_view utf8);

// The same without a string of its own, for the list reader and writer.
// shiftJisToUtf8At writes at `out`, which has room for three bytes per byte
// read, and returns the end, or nullptr at a byte that starts no character;
// `mayHaveOtherForms` is set when a lead byte of a character with other forms
// occurs (hasOtherSpelling then tells). appendUtf8AsShiftJis is false, with
// part of the text appended, when a character has no form.
char *shiftJisToUtf8At(std::string_view bytes, char *out, bool &mayHaveOtherForms);
bool appendUtf8AsShiftJis(std::string_view utf8, std::string &out);

// The character at `pos`, which moves past it; a byte that starts no
// character reads as U+FFFD and `pos` moves by that byte alone.
char32_t readShiftJisCharacter(std::string_view bytes, std::size_t &pos);

// True when a character of these bytes is written back as other bytes: code
// page 932 has two or three forms of a few hundred characters, reads them all
// and writes one, as Windows does.
bool hasOtherSpelling(std::string_view bytes);

// Shift-JIS (or, when `shiftJis` is false, UTF-8) bytes read as far as they
// go for showing them: a byte that starts no character, and NUL, which would
// end the text wherever it is passed on, become U+FFFD.
std::string toUtf8Replacing(std::string_view bytes, bool shiftJis);
