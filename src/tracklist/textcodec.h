#pragma once

#include "tracklist/tracklist.h"

#include <optional>
#include <string>
#include <string_view>

// Converts list-file bytes to UTF-8 and back. Shift-JIS means code page 932
// with its NEC and IBM extensions, as Windows reads and writes it.

// The encoding of a whole file: UTF-8 when every byte sequence is valid UTF-8
// (with or without a byte-order mark), Shift-JIS otherwise.
ListEncoding detectListEncoding(std::string_view fileBytes);

// nullopt when the bytes are not valid in that encoding.
std::optional<std::string> decodeListText(std::string_view bytes, ListEncoding encoding);
// nullopt when a character has no form in that encoding.
std::optional<std::string> encodeListText(std::string_view utf8, ListEncoding encoding);
