#pragma once

#include "tracklist/trackcode.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Seconds as minutes and seconds, each with at least two digits: 185 gives
// "03:05", 6000 gives "100:00"; past 32,819 seconds the minutes keep counting
// (32,820 gives "547:00"). A negative count gives "00:-05".
std::string formatPlayTime(std::int32_t seconds);

// The two numbers of a five-character play time ("99:99" gives 99 and 99);
// nullopt for another length or when they are not whole numbers around ":".
struct PlayTimeParts
{
    std::int32_t minutes = 0;
    std::int32_t seconds = 0;
};
std::optional<PlayTimeParts> playTimeParts(std::string_view text);

// "MM:SS" of exactly five characters to seconds ("03:05" gives 185, "1:2:3"
// gives 62); any other length gives 0 (no stored time, not a fault). nullopt
// for a five-character text that is not two whole numbers around ":".
std::optional<std::int32_t> parsePlayTime(std::string_view text);

// Hexadecimal digits (without "0x") to a code, read as four groups of four
// digits after padding to sixteen. nullopt when the value leaves the code's
// range (anything above 922,337,203,685,477).
std::optional<TrackCode> hexToCode(std::string_view hexDigits);
