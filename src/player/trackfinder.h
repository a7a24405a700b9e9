#pragma once

#include "tracklist/tracklist.h"

#include <chrono>
#include <cstdint>
#include <future>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Type to find in the grid: characters typed in quick succession gather into
// a search text, and the rows whose game or music title (as the grid shows
// it) contains it are found, in folded form (foldedtext.h). The titles are
// folded once, into one buffer, so a keystroke only compares bytes. The
// folding runs beside the start-up, on a thread of its own; the first
// keystroke waits for it if it has not ended yet.
class TrackFinder
{
public:
    // A longer pause between typed characters starts a new search text.
    static constexpr std::chrono::milliseconds kTypingPause{1000};

    // Starts folding the list's titles; again whenever the grid is filled
    // anew. The list's titles must not change, nor the list go, until the
    // finder is indexed again or destroyed.
    void index(const TrackList &list);

    // Adds typed characters to the search text, or starts a new one after a
    // pause; gives the first row at or after `fromRow` whose titles contain
    // it, wrapping to the top, or -1 when none does.
    int findTyped(std::string_view typed, int fromRow, std::chrono::milliseconds now);
    // The next row after `fromRow` (or, backward, the nearest before it) that
    // contains the search text, wrapping; -1 when none does or nothing was typed.
    int findAgain(bool forward, int fromRow);
    // True while a search text is being typed: the typing pause has not
    // passed since the last typed character.
    bool isTyping(std::chrono::milliseconds now) const;
    // As typed, for showing.
    const std::string &searchText() const { return m_typed; }
    std::size_t indexBytes();

private:
    struct Index
    {
        std::string folded;                // per track: game title, kEnd, music title, kEnd
        std::vector<std::uint32_t> starts; // where each track's titles start, then the buffer's end
    };
    static Index fold(const TrackList &list);
    const Index &ready();
    int find(int fromRow, bool forward);
    int trackOfMatch(const Index &index, std::size_t from, std::size_t to, bool forward) const;

    Index m_index;
    std::future<Index> m_folding; // valid while a folding has not been taken into m_index
    std::string m_typed;
    std::string m_needle; // m_typed folded
    std::optional<std::chrono::milliseconds> m_lastTyped;
};
