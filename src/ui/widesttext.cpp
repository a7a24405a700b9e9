#include "ui/widesttext.h"

#include "ui/textwidthmodel.h"

#include <algorithm>
#include <cmath>

namespace {

// Widths come in steps of 1/64 pixel; the slack covers rounding in the sums.
constexpr double kSlackPixels = 1.0 / 1024.0;

qint32 roundHalfEven(float value)
{
    return static_cast<qint32>(std::nearbyint(value)); // default mode: ties to even
}

} // namespace

WidestText::WidestText(TextWidthModel &model, double twipsPerPixel, Measure measure)
    : m_model(model)
    , m_twipsPerPixel(twipsPerPixel)
    , m_measure(std::move(measure))
{
}

void WidestText::add(const QString &text)
{
    const auto bound = static_cast<float>((m_model.pixels(text) + kSlackPixels) * m_twipsPerPixel);
    if (!couldWiden(bound))
        return;
    // A new largest bound is measured at once, so the kept width rises early
    // and few texts wait as candidates.
    if (bound > m_largestBound) {
        m_largestBound = bound;
        measure(text);
        return;
    }
    m_candidates.push_back({bound, text});
}

qint32 WidestText::keptWidth()
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

// Rounding is monotonic, so a text whose bound rounds to no more than the kept
// width cannot change it; at exactly half a twip above, it might.
bool WidestText::couldWiden(float boundTwips) const
{
    return boundTwips >= static_cast<float>(m_kept) + 0.5f;
}

void WidestText::measure(const QString &text)
{
    m_kept = std::max(m_kept, roundHalfEven(m_measure(text)));
}
