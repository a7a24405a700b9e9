#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Labels and grid cells show at most this many characters of a text: laying
// out a title of megabytes takes the window many seconds, every time it is
// painted. The list keeps the whole text.
inline constexpr std::size_t kShownCharacters = 256;

// The first kShownCharacters characters of a UTF-8 text, cut between characters.
std::string_view shownPart(std::string_view utf8);
std::string shownText(std::string_view utf8);
