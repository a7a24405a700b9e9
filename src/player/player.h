#pragma once

#include "player/playerstate.h"
#include "platform/mainloop.h"
#include "player/busycursor.h"
#include "player/lifecycle.h"
#include "player/playerview.h"
#include "player/playlist.h"
#include "player/trackfinder.h"
#include "util/task.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

// The keys of the grid that mean something to the player; any other key is
// the window's (arrows, paging, Tab).
// the window's (arrows, paging, Tab). Queue is Ctrl+Enter or the row menu's
// 「次に演奏」.
enum class GridKey { Enter, Space, FindNext, FindPrevious, Text, Queue };

// The player's behaviour behind either window, as a state machine fed by the
// main loop's events: the user's input, its own one-second tick, the end of
// each wait for the emulator (through the Emulator's tasks) and the end of the
// run. It plays the first track once started, counts the seconds of the
// current track and moves on when its time has passed (unless looping): to the
// first track queued to play next, else the list's next one.
// Input that arrives while a change waits for the emulator is queued and
// carried out in order once the change has ended; next presses queued
// together make one change.
class Player
{
public:
    enum class State {
        Starting, // settings, list and emulator; the window appears when the grid is filled
        Playing,  // a track plays (or the list is empty): input is carried out at once
        Changing, // waiting for the emulator's orders of a change: input is queued
        Closing,  // the save question and the end: input is ignored
        Ended,    // the window may go; exitCode() tells how the run ended
    };

    Player(PlayerView &view, PlayerState &state, ProgramLifecycle &lifecycle, MainLoop &loop);

    // Starts the run; the view's endProgram() tells when it is over.
    void start();

    // The user's input.
    void next();
    void storeTime();
    void activateRow(int track); // a left double-click on the track's row
    // Plays the track that played before the current one, as far back as this run goes.
    void previous();
    // A key pressed in the grid whose current row is `row`; `text` is what
    // it typed. False when the key means nothing to the player.
    bool gridKeyPressed(GridKey key, const std::string &text, int row);
    void setShuffle(bool on);
    void setLoop(bool on);
    // A close of the window, an end signal or the desktop's Quit: during a
    // change the run ends once the change is over; once closing, ignored.
    void requestClose();
    // The user's session ends. Where the system lets the program ask, the run
    // ends as a close does (the save question first); where it does not, the
    // stored times not saved stay beside the list for the next start.
    void sessionEnds(bool canAsk);
    // Stored times (or a changed code) that a close would offer to save.
    bool hasUnsavedTimes() const { return m_state.list.modified; }

    State state() const { return m_stateNow; }
    bool shuffle() const { return m_shuffling; }
    bool loop() const { return m_looping; }
    int exitCode() const { return m_exitCode; }
    // Queued rows are drawn in bold.
    bool isQueued(int track) const;
    bool canGoBack() const { return !m_history.empty(); }

    // What the desktop's media controls show: the track playing (-1 with an
    // empty list or none yet), its elapsed seconds and the seconds it may play.
    int currentTrack() const { return m_shown ? m_state.list.current : -1; }
    std::int32_t elapsedSeconds() const { return m_elapsed; }
    std::int32_t playLimitSeconds() const { return m_playLimit; }
    // Called whenever a track starts, once its titles are shown, and when
    // the play modes change; listeners in the order added.
    void addTrackChangedListener(std::function<void()> listener) { m_trackChanged.push_back(std::move(listener)); }

    std::int32_t randomIndex();

private:
    enum class Entry { Tick, Next, StoreTime, Grid, Queue, Previous };
    struct Command
    {
        Entry entry;
        int track = 0; // the grid's row when the user acted
        int steps = 1; // next presses queued together: places to move on
    };

    // Where the keyboard goes once a change is over.
    enum class Focus { Unchanged, Grid, Window };

    bool hasTracks() const { return m_state.list.count() > 0; }
    void started(bool ok);
    void submit(Command command);
    void run(const Command &command);
    void beginChange(Task<Result<void>> change, Focus focus);
    void changeEnded(Result<void> played, Focus focus);
    void carryOutQueued();
    void shutDown();
    void startTick();
    void stopTick();
    void tick();
    bool ordersFit(int track);
    bool passUnorderableTracks();
    void storePlayTime();
    void nextTrackIndex();
    void toggleUpNext(int track);
    void rememberPlayed(int track);
    Task<Result<void>> playAndShow(bool moveToTop);
    void fillGrid();
    void refreshPlayList(int track, bool moveToTop);
    void reportPlayFailure(const Result<void> &played);
    void showTrackInfo(int track);
    void showPlayTime();
    void tellListeners();
    void showFoundRow(int track);
    std::chrono::milliseconds now() const { return m_loop.now(); }

    PlayerView &m_view;
    PlayerState &m_state;
    ProgramLifecycle &m_lifecycle;
    MainLoop &m_loop;
    BusyCursor m_busy;
    Playlist m_playlist;
    TrackFinder m_finder;
    State m_stateNow = State::Starting;
    bool m_gridFilled = false;
    Task<bool> m_starting;
    Task<Result<void>> m_change;
    std::optional<MainLoop::TimerId> m_tick;
    std::int32_t m_elapsed = 0;
    std::int32_t m_storedTime = 0;
    std::int32_t m_playLimit = 0;
    bool m_shuffling = false;
    bool m_looping = false;
    bool m_shown = false; // a track's titles are shown
    bool m_closeRequested = false;
    bool m_emulatorFailureShown = false;
    int m_exitCode = 0;
    std::deque<Command> m_queued;
    std::deque<int> m_upNext; // tracks the user queued to play next, first first
    std::deque<int> m_history; // tracks played before the current one, the latest last
    std::set<int> m_refusalsTold; // tracks whose orders were too long, once told
    std::vector<std::function<void()>> m_trackChanged;
};
