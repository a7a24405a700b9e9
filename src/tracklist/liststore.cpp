#include "tracklist/liststore.h"

#include <utility>

void ListStore::addRecord(MusicInfo record)
{
    typMusicList.push_back(std::move(record));
    ++lngMusicCount;
}

void ListStore::storePlayTime(std::int32_t seconds)
{
    typMusicList.at(static_cast<std::size_t>(lngPlayLoc)).lngPlayTime = seconds;
    booListChanged = VbTrue;
}
