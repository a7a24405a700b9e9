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
// byte-order mark; UTF-8 when every byte sequence is valid UTF-8; otherwise
// the one of UTF-8 and Shift-JIS that reads more lines, Shift-JIS on a tie.
ListEncoding detectListEncoding(std::string_view fileBytes);

// The mark a file in this encoding starts with; empty for those without one.
std::string_view byteOrderMark(ListEncoding encoding);
// "Shift-JIS", "UTF-8" or "UTF-16", for messages.
const char *encodingName(ListEncoding encoding);
bool isUtf16(ListEncoding encoding);

// nullopt when the bytes are not valid in that encoding.
std::optional<std::string> decodeListText(std::string_view bytes, ListEncoding encoding);
// nullopt when a character has no form in that encoding.
std::optional<std::string> encodeListText(std::string_view utf8, ListEncoding encoding);
