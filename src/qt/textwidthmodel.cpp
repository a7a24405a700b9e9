#include "qt/textwidthmodel.h"

#include "player/textmeasure.h"

#include <cmath>
#include <limits>

namespace {

constexpr quint8 kNotModelled = 0xFF;
constexpr quint8 kCommon = QChar::Script_Common;

// Each character's script, or kNotModelled; the same for every model, so built once.
const std::vector<quint8> &scriptTable()
{
    static const std::vector<quint8> table = [] {
        std::vector<quint8> scripts(0x10000, kNotModelled);
        for (char32_t c = 0; c < 0x10000; ++c) {
            const QChar::Script script = QChar::script(c);
            // Unassigned characters and marks that inherit a script stay outside.
            if (isSimpleCharacter(c) && script >= QChar::Script_Common)
                scripts[c] = static_cast<quint8>(script);
        }
        return scripts;
    }();
    return table;
}

// Digits, the space, kana, ideographs, CJK punctuation and full-width forms:
// fonts kern them in pairs at most, and no ligature or contextual form spans
// three of them. Track numbers and Japanese titles are mostly made of them.
bool pairsAlwaysAddUp(char16_t c)
{
    return (c >= u'0' && c <= u'9') || c == u' ' || (c >= 0x3000 && c < 0x3100) || (c >= 0x3400 && c < 0xA000)
        || (c >= 0xF900 && c < 0xFB00) || (c >= 0xFF01 && c < 0xFF61);
}

quint64 pairKey(quint8 script, char16_t first, char16_t second)
{
    return (quint64{script} << 32) | (quint64{first} << 16) | second;
}

} // namespace

TextWidthModel::TextWidthModel(const QFont &font)
    : m_metrics(font)
    , m_script(scriptTable())
    , m_anchor(QChar::ScriptCount)
    , m_anchorWidth(QChar::ScriptCount, std::numeric_limits<double>::quiet_NaN())
    , m_alone(0x10000, std::numeric_limits<float>::quiet_NaN())
    , m_after(QChar::ScriptCount)
{
}

double TextWidthModel::pixels(QStringView text)
{
    double width = 0.0;
    qsizetype start = 0;
    while (start < text.size()) {
        // A run's head: the characters of no script of their own that open the
        // text, then the first character with one, which gives the run its script.
        qsizetype scriptPos = start;
        while (scriptPos < text.size() && m_script[text[scriptPos].unicode()] == kCommon)
            ++scriptPos;
        if (scriptPos < text.size() && m_script[text[scriptPos].unicode()] == kNotModelled)
            return std::numeric_limits<double>::infinity();
        const bool allCommon = scriptPos == text.size();
        const quint8 script = allCommon ? kCommon : m_script[text[scriptPos].unicode()];
        const qsizetype headLength = allCommon ? 1 : scriptPos - start + 1;

        qsizetype end = start + headLength;
        while (end < text.size()) {
            const quint8 next = m_script[text[end].unicode()];
            if (next == kNotModelled)
                return std::numeric_limits<double>::infinity();
            if (next != kCommon && next != script)
                break;
            ++end;
        }
        width += runPixels(text.sliced(start, end - start), script, headLength);
        start = end;
    }
    return width;
}

// With p the script's anchor, after(c) = w(pc) - w(p) and
// pair(b, c) = w(pbc) - w(p) - after(b) - after(c): the kerning between p and
// each character cancels out, so a run's width is its head's width plus the
// afters of the characters that follow it plus the pairs from the head's
// last character on.
double TextWidthModel::runPixels(QStringView run, quint8 script, qsizetype headLength)
{
    // The space keeps the anchor's own letter out of ligatures and kerning
    // with the characters measured after it.
    if (script != kCommon && m_anchor[script].isEmpty())
        m_anchor[script] = run[headLength - 1] + QLatin1Char(' ');
    double width = headPixels(run.first(headLength));
    for (qsizetype i = headLength; i < run.size(); ++i) {
        const char16_t previous = run[i - 1].unicode();
        const char16_t c = run[i].unicode();
        const double adjustment = pairAdjustment(script, previous, c);
        if (i >= 2 && !addsUp(script, run[i - 2].unicode(), previous, c))
            return std::numeric_limits<double>::infinity();
        width += advanceAfterAnchor(script, c) + adjustment;
    }
    return width;
}

double TextWidthModel::headPixels(QStringView head)
{
    if (head.size() == 1) {
        float &alone = m_alone[head[0].unicode()];
        if (std::isnan(alone))
            alone = static_cast<float>(measure(head.toString()));
        return alone;
    }
    const QString key = head.toString();
    auto it = m_heads.find(key);
    if (it == m_heads.end())
        it = m_heads.insert(key, measure(key));
    return *it;
}

double TextWidthModel::anchorPixels(quint8 script)
{
    double &width = m_anchorWidth[script];
    if (std::isnan(width))
        width = measure(m_anchor[script]);
    return width;
}

double TextWidthModel::advanceAfterAnchor(quint8 script, char16_t c)
{
    std::vector<float> &after = m_after[script];
    if (after.empty())
        after.assign(0x10000, std::numeric_limits<float>::quiet_NaN());
    float &advance = after[c];
    if (std::isnan(advance))
        advance = static_cast<float>(measure(m_anchor[script] + QChar(c)) - anchorPixels(script));
    return advance;
}

double TextWidthModel::pairAdjustment(quint8 script, char16_t first, char16_t second)
{
    const quint64 key = pairKey(script, first, second);
    if (const float *adjustment = m_pair.find(key))
        return *adjustment;
    const double measured = measure(m_anchor[script] + QChar(first) + QChar(second)) - anchorPixels(script);
    const auto adjustment
        = static_cast<float>(measured - advanceAfterAnchor(script, first) - advanceAfterAnchor(script, second));
    m_pair.insert(key, adjustment);
    return adjustment;
}

// Pairs do not always add up: a kerned pair can take its second character out
// of the next pair's kerning ("fft" is kerned as "ff" only), and a ligature
// kerns with its neighbours as one glyph ("Afl"). Each triple is checked once.
bool TextWidthModel::addsUp(quint8 script, char16_t before, char16_t first, char16_t second)
{
    if (pairsAlwaysAddUp(before) && pairsAlwaysAddUp(first) && pairsAlwaysAddUp(second))
        return true;
    const quint64 key = (pairKey(script, first, second) << 16) | before;
    if (const bool *known = m_tripleAddsUp.find(key))
        return *known;
    const double measured
        = measure(m_anchor[script] + QChar(before) + QChar(first) + QChar(second)) - anchorPixels(script);
    const bool addsUp = measured
        == advanceAfterAnchor(script, before) + pairAdjustment(script, before, first)
            + advanceAfterAnchor(script, first) + pairAdjustment(script, first, second)
            + advanceAfterAnchor(script, second);
    m_tripleAddsUp.insert(key, addsUp);
    return addsUp;
}
