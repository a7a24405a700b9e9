#include "qt/mainwindow.h"

#include "player/player.h"
#include "qt/playlistview.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>


namespace {

constexpr double kTwipsPerInch = 1440.0;

} // namespace

MainWindow::MainWindow(const TrackList &list, QWidget *parent)
    : QWidget(parent)
    , m_playlist(list)
    , m_gameTitleCaption(new QLabel(QStringLiteral("ゲーム名："), this))
    , m_gameTitle(new QLabel(this))
    , m_musicTitleCaption(new QLabel(QStringLiteral("曲名："), this))
    , m_musicTitle(new QLabel(this))
    , m_playTimeCaption(new QLabel(QStringLiteral("演奏時間："), this))
    , m_playTime(new QLabel(this))
    , m_shuffle(new QCheckBox(QStringLiteral("シャッフル演奏"), this))
    , m_loop(new QCheckBox(QStringLiteral("無限ループ再生"), this))
    , m_next(new QPushButton(QStringLiteral("次曲演奏"), this))
    , m_storeTime(new QPushButton(QStringLiteral("時間記憶"), this))
    , m_grid(new PlaylistView(m_playlist, this))
{
    setWindowTitle(QStringLiteral("Tunelark"));
    setFixedSize(twipsRect(0, 0, 8100, 6510).size());

    struct Placement
    {
        QWidget *widget;
        int left, top, width, height;
    };
    const Placement placements[] = {
        {m_gameTitleCaption, 150, 120, 855, 195},
        {m_gameTitle, 1080, 120, 6795, 225},
        {m_musicTitleCaption, 150, 450, 855, 195},
        {m_musicTitle, 1080, 450, 6795, 225},
        {m_playTimeCaption, 150, 780, 855, 195},
        {m_playTime, 1080, 780, 1215, 225},
        {m_shuffle, 240, 1230, 1575, 375},
        {m_loop, 1920, 1230, 1575, 375},
        {m_next, 120, 1800, 975, 405},
        {m_storeTime, 1320, 1800, 975, 405},
        {m_grid, 180, 2400, 7725, 3915},
    };
    for (const Placement &p : placements)
        p.widget->setGeometry(twipsRect(p.left, p.top, p.width, p.height));
    // Titles are shown as written, even where they look like markup.
    for (QLabel *label : {m_gameTitle, m_musicTitle, m_playTime})
        label->setTextFormat(Qt::PlainText);

    setTabOrder(m_grid, m_next);
    setTabOrder(m_next, m_shuffle);
    setTabOrder(m_shuffle, m_storeTime);
    setTabOrder(m_storeTime, m_loop);
}

MainWindow::~MainWindow() = default;

void MainWindow::connectPlayer(Player &player)
{
    m_player = &player;
    connect(m_next, &QPushButton::clicked, this, [&player] { player.next(); });
    connect(m_storeTime, &QPushButton::clicked, this, [&player] { player.storeTime(); });
    connect(m_shuffle, &QCheckBox::clicked, this, [&player](bool on) { player.setShuffle(on); });
    connect(m_loop, &QCheckBox::clicked, this, [&player](bool on) { player.setLoop(on); });
    connect(m_grid, &PlaylistView::activated, this, [&player](int track) { player.activateRow(track); });
    connect(m_grid, &PlaylistView::keyPressed, this, [&player](GridKey key, const QString &text, int row) {
        player.gridKeyPressed(key, text.toStdString(), row);
    });
}

QRect MainWindow::twipsRect(int left, int top, int width, int height) const
{
    const double perTwipX = logicalDpiX() / kTwipsPerInch;
    const double perTwipY = logicalDpiY() / kTwipsPerInch;
    return QRect(qRound(left * perTwipX), qRound(top * perTwipY), qRound(width * perTwipX),
                 qRound(height * perTwipY));
}

void MainWindow::showPlayModes(bool shuffle, bool loop)
{
    m_shuffle->setChecked(shuffle);
    m_loop->setChecked(loop);
}

void MainWindow::bringToFront()
{
    showNormal();
    raise();
    activateWindow();
}

void MainWindow::showTitles(const std::string &gameTitle, const std::string &musicTitle)
{
    m_gameTitle->setText(QString::fromStdString(gameTitle));
    m_musicTitle->setText(QString::fromStdString(musicTitle));
}

void MainWindow::showPlayTime(const std::string &text)
{
    m_playTime->setText(QString::fromStdString(text));
    m_playTime->repaint();
}

void MainWindow::focusGrid()
{
    m_grid->setFocus();
}

void MainWindow::focusWindow()
{
    activateWindow();
    setFocus();
}

void MainWindow::setTrackRows(int count, const ColumnWidths &widthsTwips)
{
    m_grid->setTrackRows(count, widthsTwips);
}

void MainWindow::repaintRow(int track)
{
    m_grid->repaintRow(track);
}

void MainWindow::putRowOnTop(int track)
{
    m_grid->putRowOnTop(track);
}

void MainWindow::selectRow(int track)
{
    m_grid->selectRow(track);
}

void MainWindow::showRow(int track)
{
    m_grid->showRow(track);
}

void MainWindow::showFindText(const std::string &text)
{
    m_grid->showFindText(QString::fromStdString(text));
}

void MainWindow::beep()
{
    QApplication::beep();
}

void MainWindow::showWindow()
{
    setVisible(true);
    repaint();
}

TextMeasure &MainWindow::textMeasure()
{
    if (!m_textMeasure)
        m_textMeasure = std::make_unique<QtTextMeasure>(*this);
    return *m_textMeasure;
}

void MainWindow::showExclamation(const std::string &text)
{
    m_dialogs.showExclamation(text);
}

bool MainWindow::askYesNo(const std::string &text)
{
    return m_dialogs.askYesNo(text);
}

void MainWindow::setBusy(bool busy)
{
    if (busy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void MainWindow::endProgram()
{
    hide();
    QCoreApplication::exit(m_player ? m_player->exitCode() : 0);
}

bool MainWindow::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        repaint();
    return QWidget::event(event);
}

void MainWindow::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    repaint();
}

// The player decides when the run ends (after a change, after the save
// question); the window goes with endProgram().
void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!m_player || m_player->state() == Player::State::Ended) {
        event->accept();
        return;
    }
    event->ignore();
    m_player->requestClose();
}
