#include "storage/unsavedtimes.h"

#include "../support/listof.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

std::vector<Track> threeTracks()
{
    std::vector<Track> tracks;
    for (const char *title : {"朝", "昼", "夜"})
        tracks.push_back(Track{0, "Game", "m", "s", TrackCode::fromRaw(10000), title});
    tracks[1].playTime = 90;
    return tracks;
}

TEST(UnsavedTimes, ReadBackOnlyOntoTheSameTrackAtTheSamePlace)
{
    const struct
    {
        const char *name;
        std::function<void(std::vector<Track> &, std::string &)> meanwhile; // the list and the file, changed before reading
        std::vector<UnsavedTime> expected;
    } cases[] = {
        {"the list's own time of a track does not matter",
         [](std::vector<Track> &l, std::string &) { l[0].playTime = 3; },
         {{0, 65}, {2, 6000}}},
        {"a track renamed meanwhile is left out",
         [](std::vector<Track> &l, std::string &) { l[2].musicTitle = "夕"; }, {{0, 65}}},
        {"a code changed meanwhile is left out",
         [](std::vector<Track> &l, std::string &) { l[0].code = TrackCode::fromRaw(10001); }, {{2, 6000}}},
        {"a track inserted above moves the others away from their places",
         [](std::vector<Track> &l, std::string &) { l.insert(l.begin(), l[1]); }, {}},
        {"a place past a shortened list is left out", [](std::vector<Track> &l, std::string &) { l.pop_back(); },
         {{0, 65}}},
        {"a line whose check was damaged is left out",
         [](std::vector<Track> &, std::string &text) { text.resize(text.size() - 4); }, {{0, 65}}},
        {"lines that are no place, time and check are left out",
         [](std::vector<Track> &, std::string &text) { text = "0 65 1\n1 0 1\n-1 65 1\n1 65\n\n1  65 1\nx\n" + text; },
         {{0, 65}, {2, 6000}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Track> tracks = threeTracks();
        tracks[0].playTime = 65;
        tracks[2].playTime = 6000; // past 100 minutes, which the list cannot hold
        std::string text = writeUnsavedTimes(listOf(tracks), {0, 2});
        std::vector<Track> later = threeTracks();
        c.meanwhile(later, text);
        EXPECT_EQ(readUnsavedTimes(text, listOf(later)), c.expected) << text;
    }
}

} // namespace
