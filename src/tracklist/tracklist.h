#pragma once

#include "tracklist/track.h"

#include <cstddef>
#include <cstdint>
#include <memory>
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

// The in-memory track list: filled once by the reader, read by everything
// else. The texts of all records sit in one block, each record holding where
// its four end; after loading only play times change. A list moved from is
// only to be assigned to or destroyed.
class TrackList
{
public:
    std::int32_t current = 0;
    bool modified = false;

    ListEncoding encoding = ListEncoding::ShiftJis;
    std::vector<KeptLine> keptLines;
    std::vector<OwnSpelling> ownSpellings; // by record, in increasing order

    std::int32_t count() const { return static_cast<std::int32_t>(m_records.size()); }
    // Its texts stay valid until the list gains a record. Throws
    // std::out_of_range for an index outside the list.
    TrackView track(std::int32_t index) const;
    // The same without the play time (0): texts never change, so another
    // thread may read them while play times are stored.
    TrackView texts(std::int32_t index) const;
    // Grows the list by exactly one record, a copy of `record`.
    void addRecord(const TrackView &record);
    // Without marking the list changed.
    void setPlayTime(std::int32_t index, std::int32_t seconds);
    // Stores the elapsed seconds as the current track's play time and marks the
    // list changed, even when the value is the same as before.
    void storePlayTime(std::int32_t seconds);

    // Room for so many more records and bytes of text, so that reading does
    // not copy them while they grow.
    void reserveMore(std::int32_t records, std::size_t textBytes);
    // Building a record in place, for the reader: room is asked for each of the
    // four texts in turn (game title, major, sub, music title) and the text
    // written into it ended, then the record is ended or its texts dropped.
    // Offsets are 32-bit: texts past 4 GiB throw std::length_error (a list
    // file is far smaller, see kMaxFileBytes).
    char *textRoom(std::size_t bytes);
    void endText(const char *end);
    void endRecord(std::int32_t playTime, TrackCode code);
    void dropTexts();

private:
    struct Record
    {
        std::int32_t playTime = 0;
        std::uint32_t textEnds[4] = {}; // the first text begins where the record before ends its last
        TrackCode code;
    };

    void growText(std::size_t capacity);
    std::size_t textUsed() const { return m_pendingTexts > 0 ? m_pendingEnds[m_pendingTexts - 1] : m_textSize; }
    std::uint32_t textStart(std::size_t record) const { return record == 0 ? 0 : m_records[record - 1].textEnds[3]; }

    std::vector<Record> m_records;
    std::unique_ptr<char[]> m_text;
    std::size_t m_textSize = 0; // of the records' texts, without those of the record being built
    std::size_t m_textCapacity = 0;
    std::uint32_t m_pendingEnds[4] = {};
    int m_pendingTexts = 0;
};

// Whether two lists hold the same records, play times included.
bool sameRecords(const TrackList &a, const TrackList &b);
