#pragma once

#include "tracklist/tracklist.h"

#include <cstdint>
#include <string>
#include <string_view>

// Both vertically centred.
enum class CellAlignment { Left, Right };

// An opaque colour as 0xRRGGBB.
using RgbColor = std::uint32_t;

// What the playlist grid shows: a header row, then one row per track (rows
// are track indices) with its number, game title and music title, shaded by
// whether the track has a stored play time. Cells are read from the list
// itself, so a long list is held once; they show a giant title cut.
class Playlist
{
public:
    static constexpr int kColumns = 3;
    static constexpr RgbColor kTextColor = 0x000000;
    static constexpr RgbColor kGridLineColor = 0xC0C0C0;
    static constexpr RgbColor kOutsideColor = 0x808080; // the grid's area below and beside the rows

    explicit Playlist(const TrackList &list) : m_list(list) {}

    int trackCount() const { return m_list.count(); }
    static const char *headerText(int column);
    std::string cellText(int track, int column) const;
    // The same without a copy: a view into the list, or for the number column
    // into `number`, which it overwrites.
    std::string_view cellView(int track, int column, std::string &number) const;
    static CellAlignment alignment(int column);
    RgbColor shade(int track) const;

private:
    const TrackList &m_list;
};
