#pragma once

#include "player/playerview.h"
#include "qt/qtdialogs.h"
#include "qt/textmeasure_qt.h"

#include <QWidget>

#include <memory>

class Player;
class PlaylistView;
class QCheckBox;
class QLabel;
class QPushButton;
struct TrackList;

// The one window: value labels, check boxes, buttons, the playlist grid and
// the one-second timer, at fixed positions given in twips. It shows what the
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
    void stopAsking() { m_dialogs.stopAsking(); }
    // For the desktop's media controls: the window brought up.
    void bringToFront();

    void showPlayModes(bool shuffle, bool loop) override;
    void showTitles(const std::string &gameTitle, const std::string &musicTitle) override;
    void showPlayTime(const std::string &text) override;
    void focusGrid() override;
    void focusWindow() override;
    void setTrackRows(int count, const ColumnWidths &widthsTwips) override;
    void repaintRow(int track) override;
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
    QRect twipsRect(int left, int top, int width, int height) const;

    Playlist m_playlist;
    QLabel *m_gameTitleCaption;
    QLabel *m_gameTitle;
    QLabel *m_musicTitleCaption;
    QLabel *m_musicTitle;
    QLabel *m_playTimeCaption;
    QLabel *m_playTime;
    QCheckBox *m_shuffle;
    QCheckBox *m_loop;
    QPushButton *m_next;
    QPushButton *m_storeTime;
    PlaylistView *m_grid;
    QtDialogs m_dialogs{this};
    std::unique_ptr<QtTextMeasure> m_textMeasure;
    Player *m_player = nullptr;
};
