#include "player/playerstate.h"

#include <chrono>

void PlayerState::seedRandom()
{
    random.seed(static_cast<std::mt19937::result_type>(
        std::chrono::system_clock::now().time_since_epoch().count()));
}

float PlayerState::nextRandom()
{
    // 24 random bits fill a float's mantissa exactly, so the result never
    // rounds up to 1.
    return static_cast<float>(random() >> 8) * (1.0f / 16777216.0f);
}
