#include "player/columnwidths.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

namespace {

int roundHalfEven(double value)
{
    return static_cast<int>(std::nearbyint(value)); // default mode: ties to even
}

// The kept width of one column: what measuring every text in order and keeping
// the largest rounded width comes to.
class WidestText
{
public:
    explicit WidestText(TextMeasure &measure) : m_measure(measure) {}

    void add(std::string_view text)
    {
        // A text just like the one before it cannot change what that one
        // left (titles repeat from track to track of one game).
        if (text == m_previous)
            return;
        m_previous.assign(text);
        const float bound = m_measure.upperBoundTwips(text);
        if (!couldWiden(bound))
            return;
        // A new largest bound is measured at once, so the kept width rises
        // early and few texts wait as candidates.
        if (bound > m_largestBound) {
            m_largestBound = bound;
            measure(text);
            return;
        }
        m_candidates.push_back({bound, std::string(text)});
    }

    int keptWidth()
    {
        std::sort(m_candidates.begin(), m_candidates.end(),
                  [](const Candidate &a, const Candidate &b) { return a.bound > b.bound; });
        for (const Candidate &candidate : m_candidates) {
            if (!couldWiden(candidate.bound))
                break;
            measure(candidate.text);
        }
        m_candidates.clear();
        return m_kept;
    }

private:
    struct Candidate
    {
        float bound;
        std::string text;
    };

    // Rounding is monotonic, so a text whose bound rounds to no more than the
    // kept width cannot change it; at exactly half a twip above, it might.
    bool couldWiden(float boundTwips) const { return boundTwips >= static_cast<float>(m_kept) + 0.5f; }

    void measure(std::string_view text) { m_kept = std::max(m_kept, roundHalfEven(m_measure.widthTwips(text))); }

    TextMeasure &m_measure;
    int m_kept = 0;
    float m_largestBound = -1.0f;
    std::string m_previous;
    std::vector<Candidate> m_candidates;
};

} // namespace

ColumnWidths columnWidthsTwips(const Playlist &playlist, TextMeasure &measure)
{
    std::vector<WidestText> widest(Playlist::kColumns, WidestText(measure));
    for (int column = 0; column < Playlist::kColumns; ++column)
        widest[column].add(Playlist::headerText(column));
    std::string number;
    for (int track = 0; track < playlist.trackCount(); ++track)
        for (int column = 0; column < Playlist::kColumns; ++column)
            widest[column].add(playlist.cellView(track, column, number));

    ColumnWidths widths{};
    for (int column = 0; column < Playlist::kColumns; ++column)
        widths[column] = roundHalfEven(static_cast<double>(measure.widthTwips("A")) + widest[column].keptWidth());
    return widths;
}
