#pragma once

#include "tracklist/tracklist.h"
#include "util/error.h"

#include <cstdint>
#include <iostream>
#include <optional>
#include <string>

// Where a list's track to resume is kept: one small file per list in the
// user's state folder ($XDG_STATE_HOME/tunelark, else
// ~/.local/state/tunelark; %LOCALAPPDATA%\Tunelark on Windows), named by
// the 16 hexadecimal digits of an FNV-1a hash of the list's absolute path,
// symbolic links resolved, so two folders never share one. `listPath` is
// UTF-8. The reason when the system names no such folder.
Result<std::string> resumeStatePath(const std::string &listPath);

// The track that was playing when a run with this list last ended. The file
// holds the list's path, the track's place (from 1) and then its game title,
// major, sub and code, one to a line, so a list edited meanwhile resumes the
// same track at its new place, or none.
class ResumeState
{
public:
    explicit ResumeState(const std::string &listPath, std::ostream &err = std::cerr);

    // The track of `list` to start with, or nullopt: none remembered, or no
    // longer in the list. A file that cannot be read is told in one line.
    std::optional<std::int32_t> lastTrack(const TrackList &list);
    // `track` of `list` starts: the file is replaced in one step. A failed
    // write is told once, until a write succeeds again.
    void remember(const TrackList &list, std::int32_t track);

private:
    Result<std::string> m_path;
    std::string m_listPath;
    std::ostream &m_err;
    std::string m_written; // what the file holds, so a mode change does not write it again
    bool m_failing = false;
};
