#pragma once

#include "tracklist/trackcode.h"

#include <cstdint>
#include <string>

// One track. Texts are UTF-8.
struct Track
{
    std::int32_t playTime = 0; // seconds; below 1 means no stored time
    std::string gameTitle;
    std::string major;
    std::string sub;
    TrackCode code;
    std::string musicTitle;

    friend bool operator==(const Track &, const Track &) = default;
};
