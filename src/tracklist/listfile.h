#pragma once

#include "tracklist/tracklist.h"
#include "util/error.h"

#include <string>
#include <string_view>
#include <vector>

// One problem found while reading a list, with its 1-based line number.
struct ListProblem
{
    enum class Severity { Error, Warning };

    int lineNumber = 0;
    Severity severity = Severity::Error;
    // Both without the line number: the text for the message over the
    // window, the detail for --check and standard error.
    Error message;

    friend bool operator==(const ListProblem &, const ListProblem &) = default;
};

// Reads a whole list file into the store, the way start-up loads it: comment
// lines and blank lines skipped, every track line converted to a record in
// file order. Lines that cannot be read are reported as errors and kept in the
// store as KeptLine; lines with a doubtful play time are loaded and reported as
// warnings. Clears modified first and sets it for hexadecimal codes.
//
// Nearly every line is in the writer's own layout and read straight from its
// bytes; Careful reads every line the long way instead, field by field after
// decoding the whole line. Both give the same store and problems.
enum class LineReading { Quick, Careful };
std::vector<ListProblem> readTrackList(std::string_view fileBytes, TrackList &store,
                                       LineReading reading = LineReading::Quick);

// One record in the writer's layout, UTF-8, without a line end:
// 01:35,"Alpha","m1","s2",18,"Opening Theme"
std::string formatTrackLine(const TrackView &record);

// The whole file as a save writes it: every record in index order with the
// kept lines at their places, each line ended by CR LF, in the store's encoding.
std::string writeTrackList(const TrackList &store);
