#pragma once

#include "app/playerstate.h"
#include "app/lifecycle.h"

#include <QObject>

#include <deque>

class FormMain;
class QCloseEvent;
class QTimer;

// The behaviour of the player window: plays the first track at load, counts
// the seconds of the current track, moves on when its time has passed (unless
// looping), and carries out the buttons and the grid's double-click, Enter and
// Space. Input that arrives while a track change waits for the emulator's
// client is queued and carried out in order once the change has ended; next
// presses queued together make one change.
class PlaybackController : public QObject
{
    Q_OBJECT

public:
    PlaybackController(FormMain &form, PlayerState &player, ProgramLifecycle &lifecycle);

    // The window's load event. False when the program must end now (start-up
    // has told the user why).
    bool load();

    // The window's events; public so tests can raise them as the toolkit does.
    void onTimer2Tick();
    void onCmdNextClick();
    void onCmdGetTimeClick();
    void onGridPlayListActivate(); // double-click, Enter or Space

    void showTrackInfo(qint32 trackIndex);
    qint32 randomIndex();

    qint32 elapsed = 0;
    qint32 storedTime = 0;
    qint32 playLimit = 0;

    bool isChanging() const { return m_changing; }

private:
    enum class Entry { Tick, Next, GetTime, Grid };
    struct Command
    {
        Entry entry;
        qint32 gridRow = 0; // the grid's row when the user acted
        qint32 steps = 1;   // next presses queued together: places to move on
    };

    bool hasTracks() const { return m_player.list.count() > 0; }
    void submit(Command command);
    void run(const Command &command);
    void finishInput();
    void queue(const Command &command);
    void beginChange();
    void endChange();
    void storePlayTime();
    void nextTrackIndex();
    void changeTrack(bool rebuild, bool moveToTop);
    void playCurrentTrack();
    void showPlayTime();
    void onClosing(QCloseEvent *event);

    FormMain &m_form;
    PlayerState &m_player;
    ProgramLifecycle &m_lifecycle;
    bool m_changing = false;
    bool m_closeRequested = false;
    bool m_ended = false;
    bool m_emulatorFailureShown = false;
    std::deque<Command> m_queued;
    QTimer *m_busyCursorDelay;
};
