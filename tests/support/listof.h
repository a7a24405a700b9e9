#pragma once

#include "tracklist/tracklist.h"

#include <vector>

// A list holding these records: records are made as values, then the list is
// built from them, as the reader builds it.
inline TrackList listOf(const std::vector<Track> &records)
{
    TrackList list;
    for (const Track &record : records)
        list.addRecord(record);
    return list;
}
