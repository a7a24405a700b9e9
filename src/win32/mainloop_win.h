#pragma once

#include "emulator/mainloop.h"
#include "util/ownedhandle_win.h"

#include <windows.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <type_traits>
#include <utility>

// The program's one main loop on Windows. The thread sleeps in
// MsgWaitForMultipleObjectsEx until a message comes, a watched process ends
// or the nearest timer is due; then it hands out the ended processes and the
// due timers and dispatches the messages waiting, until WM_QUIT.
class WinMainLoop : public MainLoop
{
public:
    // One handle of the wait is taken by the message queue itself.
    static constexpr std::size_t kMaxWatches = MAXIMUM_WAIT_OBJECTS - 1;

    explicit WinMainLoop(Platform &platform) : m_platform(platform) {}
    WinMainLoop(const WinMainLoop &) = delete;
    WinMainLoop &operator=(const WinMainLoop &) = delete;

    std::chrono::milliseconds now() const override;
    TimerId startTimer(std::chrono::milliseconds delay, std::function<void()> expired) override;
    void cancelTimer(TimerId timer) override;
    void watchProcess(ProcessId pid, std::function<void()> ended) override;
    void stopWatching(ProcessId pid) override;

    // Runs until WM_QUIT and gives its exit code. `dialog` names the window
    // whose controls Tab and the arrow keys move between (none once it is gone).
    int run(const std::function<HWND()> &dialog);

private:

    struct Timer
    {
        std::chrono::milliseconds deadline;
        std::function<void()> expired;
    };
    struct Watch
    {
        // The loop's own copy of the process handle: the platform closes its
        // own once the process has been waited for, which may come before the
        // loop stops watching. None when that happened before the watch began.
        OwnedHandle handle;
        std::function<void()> ended;
        TimerId handOver = 0; // without a handle: the call-back at the loop's next turn
    };

    DWORD timeoutToNextTimer() const;
    void fireDueTimers();
    void processEnded(ProcessId pid);

    Platform &m_platform;
    TimerId m_nextTimer = 1;
    std::map<TimerId, Timer> m_timers;
    std::set<std::pair<std::chrono::milliseconds, TimerId>> m_deadlines; // the same timers, soonest first
    std::map<ProcessId, Watch> m_watches;
};
