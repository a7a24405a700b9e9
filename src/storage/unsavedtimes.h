#pragma once

#include "tracklist/tracklist.h"
#include "util/error.h"

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// Play times stored but not yet saved into the list, kept in a file beside it
// ("tl.lst.unsaved") so that they outlive a killed run, a crash or a power
// cut. One line per track: its place in the list (from 1), its time in
// seconds, and a check of the track's other fields, so that a list edited
// meanwhile is not given times meant for other tracks.

struct UnsavedTime
{
    std::int32_t track = 0; // index into the list
    std::int32_t seconds = 0;

    friend bool operator==(const UnsavedTime &, const UnsavedTime &) = default;
};

// The file's text: the current times of those `tracks` of `list`.
std::string writeUnsavedTimes(const TrackList &list, const std::set<std::int32_t> &tracks);
// The times of `text` whose track is still the same one at the same place.
std::vector<UnsavedTime> readUnsavedTimes(std::string_view text, const TrackList &list);

// The recovery file of one list, and the tracks whose times it holds.
class UnsavedTimesFile
{
public:
    explicit UnsavedTimesFile(const std::string &listPath) : m_path(listPath + ".unsaved") {}

    // The times a run before left that still fit `list`; they count as this
    // run's unsaved times from now on. A file of which none fit is removed.
    std::vector<UnsavedTime> recover(const TrackList &list);
    // Adds `track` to the tracks kept and writes the file anew, atomically and
    // synced.
    Result<void> keep(const TrackList &list, std::int32_t track);
    // Once the times are saved or given up: forgets them and removes the file.
    void discard();

private:
    std::string m_path;
    std::set<std::int32_t> m_tracks;
};
