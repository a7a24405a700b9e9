#pragma once

#include "tracklist/listfile.h"
#include "tracklist/tracklist.h"
#include "util/error.h"
#include "util/file.h"

#include <cstddef>
#include <filesystem>
#include <future>
#include <string>
#include <string_view>
#include <vector>

// The track list file read whole, with what tells at the close whether another
// program changed it since: its size and a hash rather than its bytes, which a
// long list would hold twice over.
struct ListRead
{
    FileHandle file{nullptr, &std::fclose}; // held open until shut-down
    TrackList list;
    std::vector<ListProblem> problems;
    std::size_t size = 0;
    std::size_t hash = 0;
    std::filesystem::file_time_type time; // the epoch when it could not be read
};

Result<ListRead> readListFile(const std::string &path);

// The same read begun on a thread of its own, so that a long list is read
// while the window's toolkit starts.
std::future<Result<ListRead>> readListFileAhead(const std::string &path);

// What is kept of a list's bytes to tell later whether they changed.
std::size_t hashOfList(std::string_view bytes);
