#pragma once

#include "settings/config.h"
#include "platform/mainloop.h"
#include "platform/platform.h"
#include "emulator/waits.h"
#include "tracklist/tracklist.h"
#include "util/error.h"
#include "util/task.h"

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
    // The emulator window that got the override, and its process; 0 until an
    // override went out.
    WindowId window = 0;
    ProcessId windowOwner = 0;
};

struct EmulatorLimits
{
    std::chrono::milliseconds windowAppear{60000}; // after starting "hoot.exe"
    std::chrono::milliseconds clientRun{30000};    // each hootclient run
    std::chrono::milliseconds windowPoll{50};      // between looks for the window
};

// Finds or starts the emulator and gives it its orders through hootclient, one
// client run per order. Each operation is a Task: it waits for the client runs
// and pauses through the main loop, so the window lives on meanwhile, and a
// caller starts the next operation only once one has ended.
class Emulator
{
public:
    Emulator(Platform &platform, MainLoop &loop, const Settings &settings, EmulatorLimits limits = {});

    // Finds the emulator's window or starts "hoot.exe" and waits for it, then
    // sends "hootclient override" and forgets the last game selection.
    Task<Result<void>> attach();

    // Has the emulator play track `index` of the list: the override again when
    // the emulator's window is a new one, the game selection when title, major
    // or sub differ from the last ones the emulator took, then the play order
    // with the track's code.
    Task<Result<void>> play(const TrackList &store, std::int32_t index);

    // False when the system would refuse or cut one of the track's orders (a
    // title of tens of thousands of characters): such a track is not played.
    bool ordersFit(const TrackView &track) const;

    // Terminates the emulator if Tunelark started it; a found one keeps running.
    void release();

    const EmulatorState &state() const { return m_state; }

private:
    Task<Result<void>> launch();
    Task<Result<void>> runClient(std::string commandLine);
    Task<Result<void>> sendOverride(WindowLookup window);
    Task<Result<void>> select(TrackView track);
    Pause pause(std::int32_t milliseconds) { return Pause(m_loop, std::chrono::milliseconds(milliseconds)); }

    Platform &m_platform;
    MainLoop &m_loop;
    const Settings &m_settings;
    EmulatorLimits m_limits;
    EmulatorState m_state;
};
