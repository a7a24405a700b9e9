#include "ui/formmain.h"

#include "tracklist/liststore.h"
#include "ui/flexgrid.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr QRgb kShadeStored = 0xFFFFFF;
constexpr QRgb kShadeNoTime = 0xDDDDDD;
constexpr QRgb kTextBlack = 0x000000;
constexpr int kAlignLeftCenter = 1;
constexpr int kAlignRightCenter = 7;

qint32 roundHalfEven(double value)
{
    return static_cast<qint32>(std::nearbyint(value)); // default mode: ties to even
}

// Characters whose width alone bounds their width inside a text, apart from
// kerning and ligatures between neighbours: no combining marks, joiners,
// surrogates, variation selectors or scripts that shape by context.
bool isSimpleChar(char16_t c)
{
    return (c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c < 0x300 && c != 0xAD)
        || (c >= 0x370 && c < 0x483) || (c >= 0x2010 && c <= 0x2027)
        || (c >= 0x2030 && c <= 0x205E) || (c >= 0x2100 && c < 0x2C00)
        || (c >= 0x2E80 && c < 0x2FE0)
        || (c >= 0x3000 && c < 0xA000 && !(c >= 0x302A && c <= 0x302F) && c != 0x3099 && c != 0x309A)
        || (c >= 0xF900 && c < 0xFB00) || (c >= 0xFF00 && c < 0xFFF0);
}

// Upper bounds of text widths from the advances of single characters, each
// measured once.
class CharAdvances
{
public:
    CharAdvances(const QFont &font, double twipsPerPixel)
        : m_metrics(font)
        , m_advance(0x10000, -1.0f)
        // Kerning and ligatures between two neighbours change a width by far
        // less than a tenth of a line (a third of a pixel at most, measured
        // over every pair of ASCII, kana and common kanji).
        , m_pairMargin(0.1 * m_metrics.height())
        , m_twipsPerPixel(twipsPerPixel)
    {
    }

    double upperBoundTwips(const QString &text)
    {
        double pixels = 0.0;
        for (QChar qc : text) {
            const char16_t c = qc.unicode();
            if (!isSimpleChar(c))
                return std::numeric_limits<double>::infinity();
            float &advance = m_advance[c];
            if (advance < 0.0f)
                advance = static_cast<float>(widestAdvance(qc));
            pixels += advance;
        }
        if (text.size() > 1)
            pixels += m_pairMargin * static_cast<double>(text.size() - 1);
        return (pixels + 1e-3) * m_twipsPerPixel;
    }

private:
    // Punctuation and spaces next to Japanese text are drawn in that text's
    // fallback font, where they are often wider than in the window's font.
    double widestAdvance(QChar c) const
    {
        const QString alone(c);
        double widest = m_metrics.horizontalAdvance(alone);
        if (c.script() != QChar::Script_Common)
            return widest;
        for (const QString &context : {QStringLiteral("ア"), QStringLiteral("漢")}) {
            const double contextWidth = m_metrics.horizontalAdvance(context);
            widest = std::max({widest, m_metrics.horizontalAdvance(context + alone) - contextWidth,
                               m_metrics.horizontalAdvance(alone + context) - contextWidth});
        }
        return widest;
    }

    QFontMetricsF m_metrics;
    std::vector<float> m_advance; // pixels, negative until measured
    double m_pairMargin;
    double m_twipsPerPixel;
};

// The kept width of one column. Measuring every cell of a long list takes
// over a second, so a text is measured exactly only when its bound could beat
// the widest text measured so far; the result is the one that measuring every
// cell in order gives, since that comes to the widest width, rounded.
class WidestText
{
public:
    WidestText(const FormMain &form, CharAdvances &advances)
        : m_form(form)
        , m_advances(advances)
    {
    }

    void add(const QString &text)
    {
        const double bound = m_advances.upperBoundTwips(text);
        if (bound <= m_widest)
            return;
        // A new largest bound is measured at once, so the floor rises early
        // and few texts wait as candidates.
        if (bound > m_largestBound) {
            m_largestBound = bound;
            measure(text);
            return;
        }
        m_candidates.push_back({bound, text});
    }

    qint32 keptWidth()
    {
        std::sort(m_candidates.begin(), m_candidates.end(),
                  [](const Candidate &a, const Candidate &b) { return a.bound > b.bound; });
        for (const Candidate &candidate : m_candidates) {
            if (candidate.bound <= m_widest)
                break;
            measure(candidate.text);
        }
        m_candidates.clear();
        return m_widest > 0.0f ? roundHalfEven(m_widest) : 0;
    }

private:
    struct Candidate
    {
        double bound;
        QString text;
    };

    void measure(const QString &text) { m_widest = std::max(m_widest, m_form.textWidthTwips(text)); }

    const FormMain &m_form;
    CharAdvances &m_advances;
    float m_widest = 0.0f;
    double m_largestBound = -1.0;
    std::vector<Candidate> m_candidates;
};

} // namespace

FormMain::FormMain(ListStore &store, QWidget *parent)
    : QWidget(parent)
    , Label1(new QLabel(QStringLiteral("ゲーム名："), this))
    , LblGameTitle(new QLabel(this))
    , Label2(new QLabel(QStringLiteral("曲名："), this))
    , LblMusicTitle(new QLabel(this))
    , Label3(new QLabel(QStringLiteral("演奏時間："), this))
    , LblPlayTime(new QLabel(this))
    , ChkShufflePlay(new QCheckBox(QStringLiteral("シャッフル演奏"), this))
    , ChkLoop(new QCheckBox(QStringLiteral("無限ループ再生"), this))
    , CmdNext(new QPushButton(QStringLiteral("次曲演奏"), this))
    , CmdGetTime(new QPushButton(QStringLiteral("時間記憶"), this))
    , GridPlayList(new FlexGrid(this))
    , Timer2(new QTimer(this))
    , m_store(store)
{
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(QStringLiteral("Tunelark"));
    setFixedSize(twipsRect(0, 0, 8100, 6510).size());

    struct Placement
    {
        QWidget *widget;
        const char *name;
        int left, top, width, height;
    };
    const Placement placements[] = {
        {Label1, "Label1", 150, 120, 855, 195},
        {LblGameTitle, "LblGameTitle", 1080, 120, 6795, 225},
        {Label2, "Label2", 150, 450, 855, 195},
        {LblMusicTitle, "LblMusicTitle", 1080, 450, 6795, 225},
        {Label3, "Label3", 150, 780, 855, 195},
        {LblPlayTime, "LblPlayTime", 1080, 780, 1215, 225},
        {ChkShufflePlay, "ChkShufflePlay", 240, 1230, 1575, 375},
        {ChkLoop, "ChkLoop", 1920, 1230, 1575, 375},
        {CmdNext, "CmdNext", 120, 1800, 975, 405},
        {CmdGetTime, "CmdGetTime", 1320, 1800, 975, 405},
        {GridPlayList, "GridPlayList", 180, 2400, 7725, 3915},
    };
    for (const Placement &p : placements) {
        p.widget->setObjectName(QString::fromLatin1(p.name));
        p.widget->setGeometry(twipsRect(p.left, p.top, p.width, p.height));
    }
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(1000);

    setTabOrder(GridPlayList, CmdNext);
    setTabOrder(CmdNext, ChkShufflePlay);
    setTabOrder(ChkShufflePlay, CmdGetTime);
    setTabOrder(CmdGetTime, ChkLoop);
}

QRect FormMain::twipsRect(int left, int top, int width, int height) const
{
    const double perTwipX = logicalDpiX() / kTwipsPerInch;
    const double perTwipY = logicalDpiY() / kTwipsPerInch;
    return QRect(qRound(left * perTwipX), qRound(top * perTwipY), qRound(width * perTwipX),
                 qRound(height * perTwipY));
}

float FormMain::textWidthTwips(const QString &text) const
{
    const QFontMetricsF metrics(font());
    return static_cast<float>(metrics.horizontalAdvance(text) * kTwipsPerInch / logicalDpiX());
}

void FormMain::FormMainRefreshPlayList(qint32 lngForcusLoc, VbBool booListRefresh, VbBool booTopMove)
{
    GridPlayList->setVisible(false);
    if (booListRefresh == VbTrue)
        rebuildPlayList();
    // An empty list has no row to scroll to or select.
    const bool rowExists = lngForcusLoc >= 0 && lngForcusLoc + 1 < GridPlayList->rows();
    if (rowExists && booTopMove == VbTrue)
        GridPlayList->setTopRow(lngForcusLoc + 1);
    if (rowExists) {
        GridPlayList->setRow(lngForcusLoc + 1);
        GridPlayList->setRowSel(GridPlayList->row());
        GridPlayList->setCol(GridPlayList->fixedCols());
        GridPlayList->setColSel(GridPlayList->cols() - 1);
    }
    GridPlayList->setVisible(true);
    setVisible(true);
    repaint();
}

void FormMain::rebuildPlayList()
{
    CharAdvances advances(font(), kTwipsPerInch / logicalDpiX());
    std::vector<WidestText> widths(3, WidestText(*this, advances));

    GridPlayList->setRow(0);
    const QString headers[] = {QStringLiteral("NO"), QStringLiteral("GAME TITLE"),
                               QStringLiteral("MUSIC TITLE")};
    for (int col = 0; col < 3; ++col) {
        GridPlayList->setCol(col);
        GridPlayList->setText(headers[col]);
        widths[col].add(GridPlayList->text());
    }

    GridPlayList->setRows(m_store.lngMusicCount + 1);
    for (qint32 i = 0; i < m_store.lngMusicCount; ++i) {
        FormMainRefreshPlayListRow(i);
        for (int col = 0; col < 3; ++col) {
            GridPlayList->setCol(col);
            widths[col].add(GridPlayList->text());
            GridPlayList->setCellAlignment(col == 0 ? kAlignRightCenter : kAlignLeftCenter);
        }
    }

    for (int col = 0; col < 3; ++col) {
        const double width = static_cast<double>(textWidthTwips(QStringLiteral("A"))) + widths[col].keptWidth();
        GridPlayList->setColWidth(col, roundHalfEven(width));
    }
}

void FormMain::FormMainRefreshPlayListRow(qint32 lngForcusLoc)
{
    const MusicInfo &track = m_store.typMusicList[static_cast<std::size_t>(lngForcusLoc)];
    const QRgb shade = track.lngPlayTime > 0 ? kShadeStored : kShadeNoTime;
    const QString texts[] = {QString::number(lngForcusLoc + 1), QString::fromStdString(track.strGameTitle),
                             QString::fromStdString(track.strMusicTitle)};
    GridPlayList->setRow(lngForcusLoc + 1);
    for (int col = 0; col < 3; ++col) {
        GridPlayList->setCol(col);
        GridPlayList->setText(texts[col]);
        GridPlayList->setCellBackColor(shade);
        GridPlayList->setCellForeColor(kTextBlack);
    }
}

bool FormMain::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        repaint();
    return QWidget::event(event);
}

void FormMain::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    repaint();
}

void FormMain::closeEvent(QCloseEvent *event)
{
    emit closing(event);
}
