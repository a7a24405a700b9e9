#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// What the emulator control needs from the operating system. One
// implementation per platform (platform_posix.cpp here); tests use a fake.
// No Qt types: the Windows implementation is built without Qt.

// Window show style for a started program, as Windows numbers them.
enum class ShowStyle : int { Hidden = 0, MinimizedWithFocus = 2 };

using ProcessId = std::int64_t;

// Runs the window's pending events and returns. Waits call it between short
// pauses so the window stays alive while a program runs.
using EventPump = std::function<void()>;

enum class WindowSearch { Found, NotFound, NoDisplay };

// Which window was found: the X11 window id or the HWND value. A window that
// was closed and opened again gets a new one.
using WindowId = std::uint64_t;

struct WindowLookup
{
    WindowSearch search = WindowSearch::NotFound;
    WindowId window = 0; // when Found
};

struct StartResult
{
    ProcessId pid = 0;
    std::string error; // empty on success; otherwise the reason ("not found", ...)
    bool ok() const { return error.empty(); }
};

struct WaitResult
{
    enum class Outcome { Exited, TimedOut };
    Outcome outcome = Outcome::Exited;
    int exitCode = 0; // when Exited
};

class Platform
{
public:
    virtual ~Platform() = default;

    // Looks for a top-level window whose title is exactly titleUtf8.
    virtual WindowLookup findWindow(std::string_view titleUtf8) = 0;

    // Starts a program from one command line, split into arguments by the
    // Windows rules; the first argument is the program, looked up on PATH.
    virtual StartResult startProgram(std::string_view commandLine, ShowStyle style) = 0;

    // Waits for the process to end, at most `limit`, calling pump between
    // short pauses; never spins. A process that already ended returns at once.
    virtual WaitResult waitForExit(ProcessId pid, std::chrono::milliseconds limit, const EventPump &pump) = 0;

    // True once the process has ended (and it has then been reaped).
    virtual bool hasExited(ProcessId pid) = 0;

    // Ends the process and makes sure it is gone.
    virtual void terminate(ProcessId pid) = 0;

    // Sleeps for the duration, calling pump between short pauses.
    virtual void pause(std::chrono::milliseconds duration, const EventPump &pump) = 0;

    // A monotonic clock, for time limits.
    virtual std::chrono::milliseconds now() = 0;
};
