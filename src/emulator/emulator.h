#pragma once

#include "app/config.h"
#include "emulator/platform.h"
#include "tracklist/tracklist.h"
#include "util/error.h"

#include <chrono>
#include <cstdint>
#include <string>

inline constexpr const char *kHootWindowTitle = "hoot... - Sound Hardware Emulator";

// What the emulator control remembers between orders.
struct EmulatorState
{
    // -1 when the emulator was found running (or not yet attached), the pid of
    // the emulator that Tunelark started, 0 if that process could not be kept.
    ProcessId startedProcess = -1;
    std::string lastTitle;
    std::string lastMajor;
    std::string lastSub;
    // The emulator window that got the override; 0 until an override succeeded.
    WindowId window = 0;
    // Client runs that ended with a non-zero exit code; a failed override or
    // selection goes out again before the next play.
    int failedClientRuns = 0;
    int lastClientExitCode = 0;
};

struct EmulatorLimits
{
    std::chrono::milliseconds windowAppear{60000}; // after starting "hoot.exe"
    std::chrono::milliseconds clientRun{30000};    // each hootclient run
    std::chrono::milliseconds windowPoll{50};      // between looks for the window
};

// Two ways to keep the window alive during a wait: `all` runs every pending
// event (waits for a program), `paintOnly` holds user input back (the
// configured pauses).
struct EventPumps
{
    EventPump all;
    EventPump paintOnly;
};

// Finds or starts the emulator and gives it its orders through hootclient, one
// client run per order, waiting for each run to end.
class Emulator
{
public:
    Emulator(Platform &platform, const Settings &settings, EventPumps pumps, EmulatorLimits limits = {});

    // Finds the emulator's window or starts "hoot.exe" and waits for it, then
    // sends "hootclient override" and forgets the last game selection.
    Result<void> attach();

    // Sends the track's game selection order when title, major or sub differ
    // from the last ones the emulator took.
    Result<void> select(const Track &track);

    // Has the emulator play track `index` of the list: the override again when
    // the emulator's window is a new one, the game selection (select), then the
    // play order with the track's code.
    Result<void> play(const TrackList &store, std::int32_t index);

    // Terminates the emulator if Tunelark started it; a found one keeps running.
    void release();

    // Waits for one client run, within the client time limit; a run that
    // overstays is ended. `commandLine` names the order in the message. True
    // when the run ended by itself with exit code 0; the error is what the
    // user has to hear of.
    Result<bool> waitForClient(ProcessId pid, const std::string &commandLine);

    const EmulatorState &state() const { return m_state; }

private:
    Result<bool> runClient(const std::string &commandLine);
    Result<void> sendOverride(WindowId window);
    Result<void> attachAgainIfReplaced();

    Platform &m_platform;
    const Settings &m_settings;
    EventPumps m_pumps;
    EmulatorLimits m_limits;
    EmulatorState m_state;
};
