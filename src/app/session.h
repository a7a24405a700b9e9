#pragma once

#include "storage/nowplayingfile.h"
#include "player/playerstate.h"
#include "platform/platform.h"
#include "player/lifecycle.h"
#include "player/player.h"

#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

// What a run of the program is, whichever window it has: the system's
// platform, the player's state, start-up and shut-down, the player, the
// now-playing file and the exit code. The list is read from the moment the
// Session is made, while the window's toolkit starts. A main makes the
// Session, then its main loop and window on platform() and state(), hands
// them to connect() and runs its loop through run(); everything else in it
// is its window's own.
class Session
{
public:
    Session();
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    Platform &platform() { return *m_platform; }
    PlayerState &state() { return m_state; }

    // Builds the player on the window; once, before run().
    Player &connect(PlayerView &window, MainLoop &loop);
    // Starts the player and, unless start-up already ended the run, runs
    // `runLoop` until the player ends it (PlayerView::endProgram). The exit code.
    int run(const std::function<void()> &runLoop);

private:
    std::unique_ptr<Platform> m_platform;
    std::string m_folder; // the folder played, where tl.lst is
    std::future<Result<ListRead>> m_listAhead;
    PlayerState m_state;
    NowPlayingFile m_nowPlaying{m_state};
    std::unique_ptr<ProgramLifecycle> m_lifecycle;
    std::unique_ptr<Player> m_player;
};

// The arguments before any window: with an option ("--...") anywhere, the
// command it names runs and gives the exit code; otherwise the folder to play
// is entered (`folderArguments`: the arguments without the window's own), or
// the run ends with 2 after telling why. Nothing when the player is to run.
std::optional<int> runArguments(const std::vector<std::string> &arguments,
                                const std::vector<std::string> &folderArguments, std::ostream &out,
                                std::ostream &err);
