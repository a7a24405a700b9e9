#pragma once

#include "tracklist/tracklist.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Type to find in the grid: characters typed in quick succession gather into
// a search text, and the rows whose game or music title (as the grid shows
// it) contains it are found, in folded form (foldedtext.h). The titles are
// folded once, into one buffer, so a keystroke only compares bytes.
class TrackFinder
{
public:
    // A longer pause between typed characters starts a new search text.
    static constexpr std::chrono::milliseconds kTypingPause{1000};

    // Folds the list's titles; again whenever the grid is filled anew.
    void index(const TrackList &list);

    // Adds typed characters to the search text, or starts a new one after a
    // pause; gives the first row at or after `fromRow` whose titles contain
    // it, wrapping to the top, or -1 when none does.
    int findTyped(std::string_view typed, int fromRow, std::chrono::milliseconds now);
    // The next row after `fromRow` (or, backward, the nearest before it) that
    // contains the search text, wrapping; -1 when none does or nothing was typed.
    int findAgain(bool forward, int fromRow) const;
    // As typed, for showing.
    const std::string &searchText() const { return m_typed; }
    std::size_t indexBytes() const { return m_folded.capacity() + m_starts.capacity() * sizeof(m_starts[0]); }

private:
    int find(int fromRow, bool forward) const;
    int trackOfMatch(std::size_t from, std::size_t to, bool forward) const;
    std::size_t firstMatch(std::string_view range) const;
    std::size_t lastMatch(std::string_view range) const;

    std::string m_folded;                // per track: game title, kEnd, music title, kEnd
    std::vector<std::uint32_t> m_starts; // where each track's titles start, then the buffer's end
    std::string m_typed;
    std::string m_needle; // m_typed folded
    std::optional<std::chrono::milliseconds> m_lastTyped;
};
