#pragma once

#include "tracklist/tracklist.h"

#include <optional>
#include <string>
#include <string_view>

// Converts list-file bytes to UTF-8 and back. Shift-JIS means code page 932
// with its NEC and IBM extensions, as Windows reads and writes it. A UTF-16
// file is turned into UTF-8 as a whole first, so its lines are
// split, kept and converted as those of a UTF-8 file.

// The encoding of a whole file: UTF-16 or UTF-8 when it starts with that
// byte-order mark; UTF-8 when it is all ASCII. Otherwise every line beyond
// ASCII is read both ways and each reading scored for how much it looks like
// real titles (runs of kana and kanji or of half-width kana, accented letters
// within Latin words count for it; half-width kana touching Latin letters,
// stray Greek or rare Latin letters, bytes that read as nothing against it):
// UTF-8 when its readings score higher in sum, Shift-JIS on a tie or when no
// line is valid UTF-8.
ListEncoding detectListEncoding(std::string_view fileBytes);

// The mark a file in this encoding starts with; empty for those without one.
std::string_view byteOrderMark(ListEncoding encoding);
// "Shift-JIS", "UTF-8" or "UTF-16", for messages.
const char *encodingName(ListEncoding encoding);
bool isUtf16(ListEncoding encoding);

// nullopt when the bytes are not valid in that encoding. `otherForms`, when
// given, tells whether Shift-JIS bytes hold a character that a save would
// write as other bytes (see hasOtherSpelling); false in other encodings.
std::optional<std::string> decodeListText(std::string_view bytes, ListEncoding encoding, bool *otherForms = nullptr);
// nullopt when a character has no form in that encoding.
std::optional<std::string> encodeListText(std::string_view utf8, ListEncoding encoding);

// Where the first CR or LF at or after `from` stands; the size when none does.
// Eight bytes at a time: lists are read and saved whole, line by line.
std::size_t lineEndFrom(std::string_view bytes, std::size_t from);
