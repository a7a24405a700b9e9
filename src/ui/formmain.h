#pragma once

#include "tracklist/track.h"

#include <QWidget>

class FlexGrid;
class QCheckBox;
class QCloseEvent;
class QLabel;
class QPushButton;
class QTimer;
struct TrackList;

// The one window: value labels, check boxes, buttons, the playlist grid and
// the one-second timer, at fixed positions given in twips.
class FormMain : public QWidget
{
    Q_OBJECT

public:
    explicit FormMain(TrackList &store, QWidget *parent = nullptr);

    QLabel *Label1;
    QLabel *LblGameTitle;
    QLabel *Label2;
    QLabel *LblMusicTitle;
    QLabel *Label3;
    QLabel *LblPlayTime;
    QCheckBox *ChkShufflePlay;
    QCheckBox *ChkLoop;
    QPushButton *CmdNext;
    QPushButton *CmdGetTime;
    FlexGrid *GridPlayList;
    QTimer *Timer2;

    // Width of the text in the window's font, in twips.
    float textWidthTwips(const QString &text) const;

    // Rebuilds the grid when rebuild is true, scrolls the track's row
    // to the top when moveToTop is true, selects that row and shows the window.
    void refreshPlayList(qint32 trackIndex, bool rebuild, bool moveToTop);
    // Writes one track's row: number, titles, and its shade.
    void refreshRow(qint32 trackIndex);

signals:
    // Emitted from the close event; a receiver may ignore() it to keep the window.
    void closing(QCloseEvent *event);

protected:
    bool event(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void rebuildPlayList();
    QRect twipsRect(int left, int top, int width, int height) const;

    TrackList &m_store;
};
