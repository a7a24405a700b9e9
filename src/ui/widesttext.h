#pragma once

#include <QString>

#include <functional>
#include <vector>

class TextWidthModel;

// The kept width of one grid column: the width of its widest text in twips,
// rounded half to even, which is what measuring every cell in order comes to.
// Measuring every cell of a long list takes seconds, so a text is measured only
// when the width model says it could change the kept width.
class WidestText
{
public:
    using Measure = std::function<float(const QString &text)>;

    WidestText(TextWidthModel &model, double twipsPerPixel, Measure measure);

    void add(const QString &text);
    qint32 keptWidth();

private:
    struct Candidate
    {
        float bound;
        QString text;
    };

    bool couldWiden(float boundTwips) const;
    void measure(const QString &text);

    TextWidthModel &m_model;
    double m_twipsPerPixel;
    Measure m_measure;
    qint32 m_kept = 0;
    float m_largestBound = -1.0f;
    std::vector<Candidate> m_candidates;
};
