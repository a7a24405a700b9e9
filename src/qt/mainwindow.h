#pragma once

#include "player/playerview.h"
#include "player/windowlayout.h"
#include "qt/qtdialogs.h"
#include "qt/textmeasure_qt.h"

#include <QWidget>

#include <array>
#include <memory>

class Player;
class PlaylistView;
class QAbstractButton;
class QLabel;
class TrackList;

// The one window: value labels, check boxes, buttons and the playlist grid,
// built from the shared layout (player/windowlayout.h). It shows what the
// player tells it and passes the user's input on to the player.
class MainWindow : public QWidget, public PlayerView
{
    Q_OBJECT

public:
    explicit MainWindow(const TrackList &list, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Clicks, keys, grid activation and closing go to `player` from now on.
    void connectPlayer(Player &player);
    // For an end nobody attends (a signal): no message box waits for an answer.
    void stopAsking() override { m_dialogs.stopAsking(); }
    // For the desktop's media controls: the window brought up.
    void bringToFront();

    void showPlayModes(bool shuffle, bool loop) override;
    void showTitles(const std::string &gameTitle, const std::string &musicTitle) override;
    void showPlayTime(const std::string &text) override;
    void focusGrid() override;
    void focusWindow() override;
    void setTrackRows(int count, const ColumnWidths &widthsTwips) override;
    void repaintRow(int track) override;
    void redrawRow(int track) override;
    void putRowOnTop(int track) override;
    void selectRow(int track) override;
    void showRow(int track) override;
    void showFindText(const std::string &text) override;
    void beep() override;
    void showWindow() override;
    void setBusy(bool busy) override;
    TextMeasure &textMeasure() override;
    void showExclamation(const std::string &text) override;
    bool askYesNo(const std::string &text) override;
    void endProgram() override;

protected:
    bool event(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *createControl(const ControlPlace &place);
    QRect twipsRect(const TwipsRect &twips) const;
    // The table gives each control its kind, and so its class.
    QLabel *label(Control control) const;
    QAbstractButton *button(Control control) const;

    Playlist m_playlist;
    std::array<QWidget *, kControlCount> m_controls{};
    PlaylistView *m_grid = nullptr;
    QtDialogs m_dialogs{this};
    std::unique_ptr<QtTextMeasure> m_textMeasure;
    Player *m_player = nullptr;
};
