#pragma once

#include "tracklist/track.h"

#include <cstdint>
#include <string>
#include <vector>

// The encoding a list file was read in; a save writes it back the same way.
// The UTF-16 forms always carry their byte-order mark.
enum class ListEncoding { ShiftJis, Utf8, Utf8WithBom, Utf16LE, Utf16BE };

// A line of the file that is not a track: a comment, a blank line, or one that
// could not be read. It is not lost: a save writes its original bytes back, in
// front of record `beforeRecord` (or at the end when that equals the record
// count). The bytes of a UTF-16 file are kept as UTF-8.
struct KeptLine
{
    std::int32_t beforeRecord = 0;
    std::string rawBytes; // without its line end

    friend bool operator==(const KeptLine &, const KeptLine &) = default;
};

// A track line in the writer's layout whose characters also have other bytes
// than a save would write: code page 932 reads two or three forms of a few
// hundred characters and writes one. While the record reads back as the
// same line, a save writes these bytes instead, so an unchanged line stays
// the user's.
struct OwnSpelling
{
    std::int32_t record = 0;
    std::string rawBytes; // without its line end

    friend bool operator==(const OwnSpelling &, const OwnSpelling &) = default;
};

// The in-memory track list: filled once by the reader, read by everything else.
struct TrackList
{
    std::vector<Track> tracks;
    std::int32_t current = 0;
    bool modified = false;

    ListEncoding encoding = ListEncoding::ShiftJis;
    std::vector<KeptLine> keptLines;
    std::vector<OwnSpelling> ownSpellings; // by record, in increasing order

    std::int32_t count() const { return static_cast<std::int32_t>(tracks.size()); }
    // Grows the list by exactly one record.
    void addRecord(Track record);
    // Stores the elapsed seconds as the current track's play time and marks the
    // list changed, even when the value is the same as before.
    void storePlayTime(std::int32_t seconds);
};
