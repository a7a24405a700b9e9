#pragma once

#include "tracklist/tracklist.h"

#include <string>

// count tracks, 25 to a game, no two game or music titles alike, Japanese
// mixed with English; a third of them have no stored play time.
TrackList sampleTracks(int count);

// Writes tl.lst with those tracks (Shift-JIS, CR LF, as a save writes it) and
// a tl.ini whose two pauses are 0 into folder.
void writeSampleFolder(const std::string &folder, int trackCount);
