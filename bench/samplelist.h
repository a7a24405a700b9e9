#pragma once

#include "tracklist/tracklist.h"

#include <string>

// count tracks, 25 to a game, no two game or music titles alike, Japanese
// mixed with English; a third of them have no stored play time.
TrackList sampleTracks(int count);

// The rows the player's grid shows at start-up, which the bare windows show
// too: a line per row, its three cells in UTF-8 separated by tabs.
inline constexpr int kFirstRows = 30;
inline constexpr const char *kFirstRowsFile = "rows.txt";

// Writes tl.lst with those tracks (Shift-JIS, CR LF, as a save writes it),
// the first rows of its grid and a tl.ini whose two pauses are 0 into folder.
void writeSampleFolder(const std::string &folder, int trackCount);
