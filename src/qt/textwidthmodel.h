#pragma once

#include "qt/measurecache.h"

#include <QFontMetricsF>
#include <QHash>
#include <QString>

#include <vector>

// Predicts the width that shaping gives a text in one font, from measurements
// of single characters and of neighbouring pairs, each taken once. Shaping
// splits a text into runs of one script (a character of no script of its own,
// such as a digit or a space, joins the run before it, or the first run), and
// a run's font depends on its script: a digit after kana is drawn in the
// Japanese font, after a kanji or a letter in the window's font. Within a run
// the model adds up advances and the kerning of each neighbouring pair; runs
// do not interact. Texts with characters whose shaping depends on more than
// their neighbours (combining marks, joiners, surrogates, scripts that shape by
// context, right-to-left text) are left to exact measurement.
class TextWidthModel
{
public:
    explicit TextWidthModel(const QFont &font);

    // The text's width in pixels, or infinity when the model does not cover it.
    double pixels(QStringView text);

private:
    double runPixels(QStringView run, quint8 script, qsizetype headLength);
    double headPixels(QStringView head);
    double anchorPixels(quint8 script);
    double advanceAfterAnchor(quint8 script, char16_t c);
    double pairAdjustment(quint8 script, char16_t first, char16_t second);
    bool addsUp(quint8 script, char16_t before, char16_t first, char16_t second);
    double measure(const QString &text) const { return m_metrics.horizontalAdvance(text); }

    QFontMetricsF m_metrics;
    const std::vector<quint8> &m_script;      // per character; kNotModelled outside the model
    std::vector<QString> m_anchor;            // per script: the character its run measurements start with
    std::vector<double> m_anchorWidth;        // per script: the anchor's width; NaN until measured
    std::vector<float> m_alone;               // per character: its width alone; NaN until measured
    std::vector<std::vector<float>> m_after;  // per script and character: its advance after the anchor
    MeasureCache<float> m_pair;                // per script and pair: its adjustment
    MeasureCache<bool> m_tripleAddsUp;         // per script and triple: kerned pairs add up
    QHash<QString, double> m_heads;            // run starts of several characters
};
