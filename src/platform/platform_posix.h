#pragma once

#include "platform/platform.h"
#include "util/ownedfd_posix.h"

#include <map>
#include <memory>
#include <optional>

// The platform on Linux: X11 for the window lookup, posix_spawn and pidfd for
// the programs. Only the children it started can be waited for with an exit
// code; other processes count as ended once they are gone.
class PosixPlatform : public Platform
{
public:
    PosixPlatform();
    ~PosixPlatform() override;
    PosixPlatform(const PosixPlatform &) = delete;
    PosixPlatform &operator=(const PosixPlatform &) = delete;

    WindowLookup findWindow(std::string_view titleUtf8) override;
    Result<ProcessId> startProgram(std::string_view commandLine, ShowStyle style) override;
    bool commandLineFits(std::string_view commandLine) const override;
    WaitResult waitForExit(ProcessId pid, std::chrono::milliseconds limit) override;
    std::intptr_t endSignal(ProcessId pid) override;
    bool hasExited(ProcessId pid) override;
    void terminate(ProcessId pid) override;
    std::chrono::milliseconds now() override;

private:
    struct X11Connection;

    // waitForExit without forgetting the process afterwards.
    WaitResult waitUntilEnded(ProcessId pid, std::chrono::milliseconds limit);
    // The exit code once the process has ended (reaping it), nothing while it runs.
    std::optional<int> reap(ProcessId pid);

    std::unique_ptr<X11Connection> m_x11;
    std::map<ProcessId, int> m_exitCodes; // children already reaped
    std::map<ProcessId, OwnedFd> m_pidfds; // children not yet reaped that a loop waits on
};
