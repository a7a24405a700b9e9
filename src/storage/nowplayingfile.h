#pragma once

#include "player/playerstate.h"
#include "util/error.h"

#include <iostream>
#include <string>
#include <string_view>

// The file NowPlayingFile of tl.ini names, for a stream overlay to show the
// track playing: "GAME TITLE - MUSIC TITLE" in UTF-8, one line without a line
// end (an overlay would show an empty line below it), replaced in one step so
// a reader never sees part of it. Without the setting nothing is written. The
// settings are taken from `state` at every call, as start-up reads them after
// this is made.
class NowPlayingFile
{
public:
    explicit NowPlayingFile(const PlayerState &state, std::ostream &err = std::cerr);

    // The list's current track; called whenever a track starts.
    void show();
    // Empties the file; called at the close.
    void clear();

private:
    void write(std::string_view line);

    const PlayerState &m_state;
    std::ostream &m_err;
    // A file that cannot be written is told once, not at every track, until
    // a write succeeds again; playing goes on either way.
    bool m_failing = false;
};

// Why the file the settings name cannot be written, where that shows without
// writing it: a folder in its place, or no folder to hold it.
Result<void> checkNowPlayingFile(const Settings &settings);
