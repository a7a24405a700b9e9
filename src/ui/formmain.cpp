#include "ui/formmain.h"

#include "tracklist/tracklist.h"
#include "ui/flexgrid.h"
#include "ui/showntext.h"
#include "ui/textwidthmodel.h"
#include "ui/widesttext.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <cmath>
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

} // namespace

FormMain::FormMain(TrackList &store, QWidget *parent)
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

void FormMain::refreshPlayList(qint32 trackIndex, bool rebuild, bool moveToTop)
{
    GridPlayList->setVisible(false);
    if (rebuild)
        rebuildPlayList();
    // An empty list has no row to scroll to or select.
    const bool rowExists = trackIndex >= 0 && trackIndex + 1 < GridPlayList->rows();
    if (rowExists && moveToTop)
        GridPlayList->setTopRow(trackIndex + 1);
    if (rowExists) {
        GridPlayList->setRow(trackIndex + 1);
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
    TextWidthModel model(font());
    const auto measure = [this](const QString &text) { return textWidthTwips(text); };
    std::vector<WidestText> widths(3, WidestText(model, kTwipsPerInch / logicalDpiX(), measure));

    GridPlayList->setRow(0);
    const QString headers[] = {QStringLiteral("NO"), QStringLiteral("GAME TITLE"),
                               QStringLiteral("MUSIC TITLE")};
    for (int col = 0; col < 3; ++col) {
        GridPlayList->setCol(col);
        GridPlayList->setText(headers[col]);
        widths[col].add(GridPlayList->text());
    }

    GridPlayList->setRows(m_store.count() + 1);
    for (qint32 i = 0; i < m_store.count(); ++i) {
        refreshRow(i);
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

void FormMain::refreshRow(qint32 trackIndex)
{
    const Track &track = m_store.tracks[static_cast<std::size_t>(trackIndex)];
    const QRgb shade = track.playTime > 0 ? kShadeStored : kShadeNoTime;
    const QString texts[] = {QString::number(trackIndex + 1), shownText(track.gameTitle),
                             shownText(track.musicTitle)};
    GridPlayList->setRow(trackIndex + 1);
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
