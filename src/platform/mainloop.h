#pragma once

#include "platform/platform.h"

#include <chrono>
#include <cstdint>
#include <functional>

// The program's one main loop, as the core sees it: every wait is a request to
// be called back by the loop later, never a loop of its own. Call-backs come
// from the loop itself, never from inside the call that asked for them.
class MainLoop
{
public:
    using TimerId = std::uint64_t;

    virtual ~MainLoop() = default;

    // A monotonic clock.
    virtual std::chrono::milliseconds now() const = 0;

    // Calls `expired` once, after `delay`. Cancelling a timer that has fired
    // or was cancelled already does nothing.
    virtual TimerId startTimer(std::chrono::milliseconds delay, std::function<void()> expired) = 0;
    virtual void cancelTimer(TimerId timer) = 0;

    // Calls `ended` once the process (started through the platform) has
    // ended; its exit code is then there for Platform::waitForExit at once.
    virtual void watchProcess(ProcessId pid, std::function<void()> ended) = 0;
    virtual void stopWatching(ProcessId pid) = 0;
};
