#pragma once

#include "util/error.h"

#include <QObject>
#include <QString>
#include <QVariantMap>

class MainWindow;
class Player;
class TrackList;

// The desktop's media player controls (MPRIS 2 on the session bus, as
// org.mpris.MediaPlayer2.tunelark): Next is the next button, Quit the close
// box, Previous the row menu's 「前の曲」, the loop and shuffle settings are the player's play modes. The
// emulator always plays, so play and pause are accepted and change nothing.
class MprisService : public QObject
{
    Q_OBJECT

public:
    MprisService(Player &player, const TrackList &list, MainWindow &window);

    // Puts the service on the session bus; an Error tells why it is not.
    Result<void> registerOnSessionBus();

    void next();
    void previous();
    bool canGoPrevious() const;
    void raise();
    void quit();
    QVariantMap metadata() const;
    qlonglong positionMicroseconds() const;
    QString playbackStatus() const;
    QString loopStatus() const;
    void setLoopStatus(const QString &status);
    bool shuffle() const;
    void setShuffle(bool on);

private:
    // Tells the listeners on the bus the player's properties' new values.
    void announce(const QVariantMap &changed);

    Player &m_player;
    const TrackList &m_list;
    MainWindow &m_window;
    bool m_registered = false;
};
