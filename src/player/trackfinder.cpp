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
    if (m_folding.valid())
        m_folding.wait(); // reads the list too: it ends before the list may change
    m_folding = std::async(std::launch::async, &TrackFinder::fold, std::cref(list));
}

TrackFinder::Index TrackFinder::fold(const TrackList &list)
{
    Index index;
    // Folding keeps or shortens every character of decoded text, so one
    // reservation spares the buffer's regrowing and a shrinking copy. Only
    // the texts are read: play times may be stored meanwhile.
    std::size_t bytes = 0;
    for (std::int32_t track = 0; track < list.count(); ++track) {
        const TrackView texts = list.texts(track);
        bytes += texts.gameTitle.size() + texts.musicTitle.size() + 2;
    }
    index.folded.reserve(bytes);
    index.starts.reserve(static_cast<std::size_t>(list.count()) + 1);
    for (std::int32_t track = 0; track < list.count(); ++track) {
        index.starts.push_back(static_cast<std::uint32_t>(index.folded.size()));
        const TrackView texts = list.texts(track);
        for (const std::string_view title : {texts.gameTitle, texts.musicTitle}) {
            appendFolded(shownPart(title), index.folded);
            index.folded += kEnd;
        }
    }
    index.starts.push_back(static_cast<std::uint32_t>(index.folded.size()));
    return index;
}

const TrackFinder::Index &TrackFinder::ready()
{
    if (m_folding.valid())
        m_index = m_folding.get();
    return m_index;
}

std::size_t TrackFinder::indexBytes()
{
    const Index &index = ready();
    return index.folded.capacity() + index.starts.capacity() * sizeof(index.starts[0]);
}

bool TrackFinder::isTyping(std::chrono::milliseconds now) const
{
    return !m_typed.empty() && m_lastTyped && now - *m_lastTyped <= kTypingPause;
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

int TrackFinder::findAgain(bool forward, int fromRow)
{
    if (m_needle.empty())
        return -1;
    return forward ? find(fromRow + 1, true) : find(fromRow, false);
}

// Forward: the first match at or after row `fromRow`; backward: the last one
// before it. Either way wrapping round the list once.
int TrackFinder::find(int fromRow, bool forward)
{
    const Index &index = ready();
    const int count = static_cast<int>(index.starts.size()) - 1;
    if (count <= 0)
        return -1; // an empty list, or none yet
    const std::size_t split = index.starts[static_cast<std::size_t>(std::clamp(fromRow, 0, count))];
    const std::size_t end = index.folded.size();
    if (forward) {
        const int track = trackOfMatch(index, split, end, true);
        return track >= 0 ? track : trackOfMatch(index, 0, split, true);
    }
    const int track = trackOfMatch(index, 0, split, false);
    return track >= 0 ? track : trackOfMatch(index, split, end, false);
}

// The track holding the first (or last) match within bytes [from, to); -1 when none.
int TrackFinder::trackOfMatch(const Index &index, std::size_t from, std::size_t to, bool forward) const
{
    const std::string_view range = std::string_view(index.folded).substr(from, to - from);
    std::size_t at = 0; // a byte of the match
    if (forward) {
        // One byte is found fastest by memchr, which the library's find uses
        // for a single character; longer texts by skipping ahead.
        if (m_needle.size() == 1) {
            at = range.find(m_needle[0]);
        } else {
            const auto found = std::search(range.begin(), range.end(),
                                           std::boyer_moore_horspool_searcher(m_needle.begin(), m_needle.end()));
            at = found == range.end() ? std::string_view::npos : static_cast<std::size_t>(found - range.begin());
        }
        if (at == std::string_view::npos)
            return -1;
        at += from;
    } else {
        const auto found = std::search(range.rbegin(), range.rend(),
                                       std::boyer_moore_horspool_searcher(m_needle.rbegin(), m_needle.rend()));
        if (found == range.rend())
            return -1;
        at = from + static_cast<std::size_t>(range.rend() - found) - 1;
    }
    return static_cast<int>(std::upper_bound(index.starts.begin(), index.starts.end(), at) - index.starts.begin()) - 1;
}
