#pragma once

#include "tracklist/trackcode.h"

#include <cstdint>
#include <string>
#include <string_view>

struct Track;

// A track as the list holds it: its texts are views into the list's text
// block (or into a `Track`), valid while that lives and gains no records.
// Texts are UTF-8.
struct TrackView
{
    std::int32_t playTime = 0; // seconds; below 1 means no stored time
    std::string_view gameTitle;
    std::string_view major;
    std::string_view sub;
    TrackCode code;
    std::string_view musicTitle;

    TrackView() = default;
    TrackView(const Track &track);
    TrackView(std::int32_t playTime, std::string_view gameTitle, std::string_view major, std::string_view sub,
              TrackCode code, std::string_view musicTitle)
        : playTime(playTime), gameTitle(gameTitle), major(major), sub(sub), code(code), musicTitle(musicTitle)
    {
    }

    friend bool operator==(const TrackView &, const TrackView &) = default;
};

// One track that owns its texts: a record being built before it joins a list.
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

inline TrackView::TrackView(const Track &track)
    : TrackView(track.playTime, track.gameTitle, track.major, track.sub, track.code, track.musicTitle)
{
}
