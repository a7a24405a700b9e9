#include "tracklist/tracklist.h"

#include <utility>

void TrackList::addRecord(Track record)
{
    tracks.push_back(std::move(record));
}

void TrackList::storePlayTime(std::int32_t seconds)
{
    tracks.at(static_cast<std::size_t>(current)).playTime = seconds;
    modified = true;
}
