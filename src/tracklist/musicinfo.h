#pragma once

#include "tracklist/currency.h"

#include <cstdint>
#include <string>

// Booleans of the list and the window keep the -1/0 convention of the list's
// original program: code that decides on one compares with VbTrue exactly.
using VbBool = std::int16_t;
inline constexpr VbBool VbTrue = -1;
inline constexpr VbBool VbFalse = 0;

// One track. Texts are UTF-8.
struct MusicInfo
{
    std::int32_t lngPlayTime = 0; // seconds; below 1 means no stored time
    std::string strGameTitle;
    std::string strMajor;
    std::string strSub;
    Currency curCode;
    std::string strMusicTitle;

    friend bool operator==(const MusicInfo &, const MusicInfo &) = default;
};
