#include "player/trackfinder.h"

#include "player/foldedtext.h"
#include "player/showntext.h"

#include <algorithm>
#include <functional>

namespace {

// Ends each title: never in folded text, so no match runs from one title into the next.
constexpr char kEnd = '\xFF';

} // namespace

void TrackFinder::index(const TrackList &list)
{
    m_folded.clear();
    m_starts.clear();
    m_starts.reserve(list.tracks.size() + 1);
    for (const Track &track : list.tracks) {
        m_starts.push_back(static_cast<std::uint32_t>(m_folded.size()));
        for (const std::string *title : {&track.gameTitle, &track.musicTitle}) {
            appendFolded(shownPart(*title), m_folded);
            m_folded += kEnd;
        }
    }
    m_starts.push_back(static_cast<std::uint32_t>(m_folded.size()));
    m_folded.shrink_to_fit();
}

int TrackFinder::findTyped(std::string_view typed, int fromRow, std::chrono::milliseconds now)
{
    if (!m_lastTyped || now - *m_lastTyped > kTypingPause)
        m_typed.clear();
    m_lastTyped = now;
    m_typed += typed;
    // Folded whole each time: a sound mark typed alone joins the kana before it.
    m_needle = foldedText(m_typed);
    return find(fromRow, true);
}

int TrackFinder::findAgain(bool forward, int fromRow) const
{
    if (m_needle.empty())
        return -1;
    return forward ? find(fromRow + 1, true) : find(fromRow, false);
}

// Forward: the first match at or after row `fromRow`; backward: the last one
// before it. Either way wrapping round the list once.
int TrackFinder::find(int fromRow, bool forward) const
{
    const int count = static_cast<int>(m_starts.size()) - 1;
    if (count <= 0)
        return -1; // an empty list, or none yet
    const std::size_t split = m_starts[static_cast<std::size_t>(std::clamp(fromRow, 0, count))];
    const std::size_t end = m_folded.size();
    if (forward) {
        const int track = trackOfMatch(split, end, true);
        return track >= 0 ? track : trackOfMatch(0, split, true);
    }
    const int track = trackOfMatch(0, split, false);
    return track >= 0 ? track : trackOfMatch(split, end, false);
}

// The track holding the first (or last) match within bytes [from, to); -1 when none.
int TrackFinder::trackOfMatch(std::size_t from, std::size_t to, bool forward) const
{
    const std::string_view range = std::string_view(m_folded).substr(from, to - from);
    std::size_t at = 0; // a byte of the match
    if (forward) {
        const auto found = std::search(range.begin(), range.end(),
                                       std::boyer_moore_horspool_searcher(m_needle.begin(), m_needle.end()));
        if (found == range.end())
            return -1;
        at = from + static_cast<std::size_t>(found - range.begin());
    } else {
        const auto found = std::search(range.rbegin(), range.rend(),
                                       std::boyer_moore_horspool_searcher(m_needle.rbegin(), m_needle.rend()));
        if (found == range.rend())
            return -1;
        at = from + static_cast<std::size_t>(range.rend() - found) - 1;
    }
    return static_cast<int>(std::upper_bound(m_starts.begin(), m_starts.end(), at) - m_starts.begin()) - 1;
}
