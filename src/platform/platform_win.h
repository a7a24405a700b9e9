#pragma once

#include "platform/platform.h"
#include "util/ownedhandle_win.h"

#include <map>

// The platform on Windows: FindWindowW for the lookup, CreateProcessW for the
// programs; the main loop waits on their process handles.
// Handles of the programs it started are kept until they have ended (or until
// the platform goes), so their exit codes can be read.
class WinPlatform : public Platform
{
public:
    WinPlatform();
    ~WinPlatform() override;
    WinPlatform(const WinPlatform &) = delete;
    WinPlatform &operator=(const WinPlatform &) = delete;

    WindowLookup findWindow(std::string_view titleUtf8) override;
    Result<ProcessId> startProgram(std::string_view commandLine, ShowStyle style) override;
    bool commandLineFits(std::string_view commandLine) const override;
    WaitResult waitForExit(ProcessId pid, std::chrono::milliseconds limit) override;
    std::intptr_t endSignal(ProcessId pid) override;
    bool hasExited(ProcessId pid) override;
    void terminate(ProcessId pid) override;
    std::chrono::milliseconds now() override;

private:
    // A handle with `access` that can be waited on: the one kept since the
    // start, or one opened into `opened` for a process started elsewhere.
    HANDLE handleOf(ProcessId pid, OwnedHandle &opened, DWORD access);
    // Notes the exit code of an ended process and lets a kept handle go.
    int settle(ProcessId pid, HANDLE handle);

    std::map<ProcessId, OwnedHandle> m_handles; // started and still running, as far as known
    std::map<ProcessId, int> m_exitCodes;  // started and seen to end
};
