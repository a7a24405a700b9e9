#include "storage/unsavedtimes.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

TrackList threeTracks()
{
    TrackList list;
    for (const char *title : {"朝", "昼", "夜"})
        list.addRecord(Track{0, "Game", "m", "s", TrackCode::fromRaw(10000), title});
    list.tracks[1].playTime = 90;
    return list;
}

TEST(UnsavedTimes, ReadBackOnlyOntoTheSameTrackAtTheSamePlace)
{
    const struct
    {
        const char *name;
        std::function<void(TrackList &, std::string &)> meanwhile; // the list and the file, changed before reading
        std::vector<UnsavedTime> expected;
    } cases[] = {
        {"the list's own time of a track does not matter", [](TrackList &l, std::string &) { l.tracks[0].playTime = 3; },
         {{0, 65}, {2, 6000}}},
        {"a track renamed meanwhile is left out",
         [](TrackList &l, std::string &) { l.tracks[2].musicTitle = "夕"; }, {{0, 65}}},
        {"a code changed meanwhile is left out",
         [](TrackList &l, std::string &) { l.tracks[0].code = TrackCode::fromRaw(10001); }, {{2, 6000}}},
        {"a track inserted above moves the others away from their places",
         [](TrackList &l, std::string &) { l.tracks.insert(l.tracks.begin(), l.tracks[1]); }, {}},
        {"a place past a shortened list is left out", [](TrackList &l, std::string &) { l.tracks.pop_back(); },
         {{0, 65}}},
        {"a line whose check was damaged is left out",
         [](TrackList &, std::string &text) { text.resize(text.size() - 4); }, {{0, 65}}},
        {"lines that are no place, time and check are left out",
         [](TrackList &, std::string &text) { text = "0 65 1\n1 0 1\n-1 65 1\n1 65\n\n1  65 1\nx\n" + text; },
         {{0, 65}, {2, 6000}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TrackList list = threeTracks();
        list.tracks[0].playTime = 65;
        list.tracks[2].playTime = 6000; // past 100 minutes, which the list cannot hold
        std::string text = writeUnsavedTimes(list, {0, 2});
        TrackList later = threeTracks();
        c.meanwhile(later, text);
        EXPECT_EQ(readUnsavedTimes(text, later), c.expected) << text;
    }
}

} // namespace
