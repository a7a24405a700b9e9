#pragma once

#include <string>
#include <string_view>

// A title as type-to-find compares it, the way a Japanese user expects texts
// to match: letters in lower case, full-width letters, digits and signs as
// their ASCII forms and the ideographic space as a space, half-width katakana
// as full-width ones (a following half-width sound mark joined to its kana, as
// is a combining one), hiragana as katakana. Appended to `out` as UTF-8; a
// byte that starts no valid character becomes U+FFFD, so `out` never holds
// the byte 0xFF.
void appendFolded(std::string_view utf8, std::string &out);
std::string foldedText(std::string_view utf8);
