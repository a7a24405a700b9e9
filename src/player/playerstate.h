#pragma once

#include "settings/config.h"
#include "tracklist/tracklist.h"

#include <cstdint>
#include <random>

// Everything one run of the program keeps between events: the track list, the
// settings and the shuffle generator. A test creates a fresh one.
struct PlayerState
{
    TrackList list;
    Settings settings;

    // Seeds the shuffle generator from the clock, once at start-up.
    void seedRandom();
    // The next pseudo-random number r with 0 <= r < 1.
    float nextRandom();

    std::mt19937 random;
};
