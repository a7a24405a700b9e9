#include "qt/mainwindow.h"

#include "player/player.h"
#include "qt/playlistview.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>


MainWindow::MainWindow(const TrackList &list, QWidget *parent)
    : QWidget(parent)
    , m_playlist(list)
{
    setWindowTitle(QString::fromUtf8(kWindowTitle));
    setFixedSize(twipsRect({0, 0, kClientWidthTwips, kClientHeightTwips}).size());
    QWidget *previous = nullptr;
    for (const ControlPlace &place : windowControls()) {
        QWidget *control = createControl(place);
        control->setGeometry(twipsRect(place.twips));
        m_controls[static_cast<std::size_t>(place.control)] = control;
        if (!takesFocus(place.kind))
            continue;
        if (previous)
            setTabOrder(previous, control);
        previous = control;
    }
}

QWidget *MainWindow::createControl(const ControlPlace &place)
{
    const QString caption = QString::fromUtf8(place.caption);
    switch (place.kind) {
    case ControlKind::CaptionLabel:
        return new QLabel(caption, this);
    case ControlKind::ValueLabel: {
        auto *value = new QLabel(this);
        // Titles are shown as written, even where they look like markup.
        value->setTextFormat(Qt::PlainText);
        return value;
    }
    case ControlKind::CheckBox:
        return new QCheckBox(caption, this);
    case ControlKind::Button:
        return new QPushButton(caption, this);
    case ControlKind::Grid:
        return m_grid = new PlaylistView(m_playlist, this);
    }
    return nullptr;
}

QLabel *MainWindow::label(Control control) const
{
    return static_cast<QLabel *>(m_controls[static_cast<std::size_t>(control)]);
}

QAbstractButton *MainWindow::button(Control control) const
{
    return static_cast<QAbstractButton *>(m_controls[static_cast<std::size_t>(control)]);
}

MainWindow::~MainWindow() = default;

void MainWindow::connectPlayer(Player &player)
{
    m_player = &player;
    connect(button(Control::Next), &QAbstractButton::clicked, this, [&player] { player.next(); });
    connect(button(Control::StoreTime), &QAbstractButton::clicked, this, [&player] { player.storeTime(); });
    connect(button(Control::Shuffle), &QAbstractButton::clicked, this, [&player](bool on) { player.setShuffle(on); });
    connect(button(Control::Loop), &QAbstractButton::clicked, this, [&player](bool on) { player.setLoop(on); });
    connect(m_grid, &PlaylistView::activated, this, [&player](int track) { player.activateRow(track); });
    m_grid->setPlayer(player);
    connect(m_grid, &PlaylistView::previousRequested, this, [&player] { player.previous(); });
    connect(m_grid, &PlaylistView::keyPressed, this, [&player](GridKey key, const QString &text, int row) {
        player.gridKeyPressed(key, text.toStdString(), row);
    });
}

QRect MainWindow::twipsRect(const TwipsRect &twips) const
{
    const double perTwipX = logicalDpiX() / static_cast<double>(kTwipsPerInch);
    const double perTwipY = logicalDpiY() / static_cast<double>(kTwipsPerInch);
    return QRect(qRound(twips.left * perTwipX), qRound(twips.top * perTwipY), qRound(twips.width * perTwipX),
                 qRound(twips.height * perTwipY));
}

void MainWindow::showPlayModes(bool shuffle, bool loop)
{
    button(Control::Shuffle)->setChecked(shuffle);
    button(Control::Loop)->setChecked(loop);
}

void MainWindow::bringToFront()
{
    showNormal();
    raise();
    activateWindow();
}

void MainWindow::showTitles(const std::string &gameTitle, const std::string &musicTitle)
{
    label(Control::GameTitle)->setText(QString::fromStdString(gameTitle));
    label(Control::MusicTitle)->setText(QString::fromStdString(musicTitle));
}

void MainWindow::showPlayTime(const std::string &text)
{
    QLabel *playTime = label(Control::PlayTime);
    playTime->setText(QString::fromStdString(text));
    playTime->repaint();
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

void MainWindow::redrawRow(int track)
{
    m_grid->redrawRow(track);
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
