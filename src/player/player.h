#pragma once

#include "app/playerstate.h"
#include "player/busycursor.h"
#include "player/lifecycle.h"
#include "player/playerview.h"
#include "player/playlist.h"
#include "player/trackfinder.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

// The player's behaviour behind one window: plays the first track at load,
// counts the seconds of the current track, moves on when its time has passed
// (unless looping), and carries out the buttons, the grid's activation and
// type-to-find in the grid.
// Input that arrives while a track change waits for the emulator's client is
// queued and carried out in order once the change has ended; next presses
// queued together make one change.
class Player
{
public:
    Player(PlayerView &view, PlayerState &state, ProgramLifecycle &lifecycle, BusyCursor &busy);

    // The window's load event. False when the program must end now (start-up
    // has told the user why).
    bool load();

    // The window's events.
    void tick();
    void next();
    void storeTime();
    void activateRow(int track); // double-click, Enter or Space on the track's row
    // Type to find, on the grid whose current row is `fromRow`: typed
    // characters at the time `now`, and F3 (forward) or Shift+F3. The row
    // found is selected and shown, not played; when none is, the view beeps.
    void findTyped(const std::string &typed, int fromRow, std::chrono::milliseconds now);
    void findAgain(bool forward, int fromRow);
    // True when the window may close now; during a change the window closes
    // once the change is over.
    bool requestClose();

    std::int32_t randomIndex();
    bool isChanging() const { return m_changing; }

    // What the desktop's media controls show: the track playing (-1 with an
    // empty list), its elapsed seconds and the seconds it may play.
    int currentTrack() const { return hasTracks() ? m_state.list.current : -1; }
    std::int32_t elapsedSeconds() const { return m_elapsed; }
    std::int32_t playLimitSeconds() const { return m_playLimit; }
    // Called whenever a track starts, once its titles are shown; listeners in the order added.
    void addTrackChangedListener(std::function<void()> listener) { m_trackChanged.push_back(std::move(listener)); }

private:
    enum class Entry { Tick, Next, StoreTime, Grid };
    struct Command
    {
        Entry entry;
        int track = 0; // the grid's row when the user acted
        int steps = 1; // next presses queued together: places to move on
    };

    bool hasTracks() const { return m_state.list.count() > 0; }
    void submit(Command command);
    void run(const Command &command);
    void finishInput();
    void queue(const Command &command);
    void beginChange();
    void endChange();
    void storePlayTime();
    void nextTrackIndex();
    void changeTrack(bool rebuild, bool moveToTop);
    void refreshPlayList(int track, bool rebuild, bool moveToTop);
    void playCurrentTrack();
    void showTrackInfo(int track);
    void showPlayTime();
    void showFoundRow(int track);

    PlayerView &m_view;
    PlayerState &m_state;
    ProgramLifecycle &m_lifecycle;
    BusyCursor &m_busy;
    Playlist m_playlist;
    TrackFinder m_finder;
    std::int32_t m_elapsed = 0;
    std::int32_t m_storedTime = 0;
    std::int32_t m_playLimit = 0;
    bool m_changing = false;
    bool m_closeRequested = false;
    bool m_ended = false;
    bool m_emulatorFailureShown = false;
    std::deque<Command> m_queued;
    std::vector<std::function<void()>> m_trackChanged;
};
