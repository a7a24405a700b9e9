#pragma once

#include "util/error.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>

// What the emulator control needs from the operating system. One
// implementation per platform (platform_posix.cpp here); tests use a fake.
// No Qt types: the Windows implementation is built without Qt.

// Window show style for a started program, as Windows numbers them.
enum class ShowStyle : int { Hidden = 0, MinimizedWithFocus = 2 };

using ProcessId = std::int64_t;

enum class WindowSearch { Found, NotFound, NoDisplay };

// Which window was found: the X11 window id or the HWND value. A window that
// was closed and opened again gets a new one.
using WindowId = std::uint64_t;

struct WindowLookup
{
    WindowSearch search = WindowSearch::NotFound;
    WindowId window = 0; // when Found
    // The process that owns the window, 0 when the system does not tell. X11
    // hands a closed window's id to the next window, so a restarted emulator
    // is told apart by its process as well.
    std::int64_t owner = 0;
};

struct WaitResult
{
    enum class Outcome { Exited, TimedOut };
    Outcome outcome = Outcome::Exited;
    int exitCode = 0; // when Exited
};

// Why `program` did not start, as startProgram tells it: the two reasons a
// user can act on (not found, not executable) in the text too, any other in
// the detail alone, in the system's words (`reason`).
Error startError(const std::string &program, std::error_condition meaning, const std::string &reason);
// What startProgram tells when the command line names no program.
Error noProgramError();

class Platform
{
public:
    virtual ~Platform() = default;

    // Looks for a top-level window whose title is exactly titleUtf8.
    virtual WindowLookup findWindow(std::string_view titleUtf8) = 0;

    // Starts a program from one command line, split into arguments by the
    // Windows rules; the first argument is the program, looked up on PATH.
    // Gives the process, or the Error of startError or noProgramError.
    virtual Result<ProcessId> startProgram(std::string_view commandLine, ShowStyle style) = 0;

    // False when the system would refuse or cut the command line: on Windows
    // past 32,766 UTF-16 units, on Linux an argument or all of them past the
    // kernel's limits.
    virtual bool commandLineFits(std::string_view commandLine) const = 0;

    // Waits for the process to end, at most `limit`, blocking; a process that
    // already ended returns at once. The player never blocks on a running
    // process: it waits for the main loop's word that the process ended
    // (endSignal) and then asks here with no time to wait.
    virtual WaitResult waitForExit(ProcessId pid, std::chrono::milliseconds limit) = 0;

    // What the main loop waits on for the process's end: a pidfd on Linux,
    // the process handle on Windows; owned by the platform until the process
    // has been waited for. -1 when there is none (the loop then asks
    // hasExited now and then).
    virtual std::intptr_t endSignal(ProcessId pid) = 0;

    // True once the process has ended (and it has then been reaped).
    virtual bool hasExited(ProcessId pid) = 0;

    // Ends the process and makes sure it is gone.
    virtual void terminate(ProcessId pid) = 0;

    // A monotonic clock, for time limits.
    virtual std::chrono::milliseconds now() = 0;
};
