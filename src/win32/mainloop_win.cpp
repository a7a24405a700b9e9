#include "win32/mainloop_win.h"

#include "util/message.h"
#include "util/widestring_win.h"

#include <algorithm>
#include <exception>
#include <string>
#include <vector>

using std::chrono::milliseconds;

milliseconds WinMainLoop::now() const
{
    return m_platform.now();
}

MainLoop::TimerId WinMainLoop::startTimer(milliseconds delay, std::function<void()> expired)
{
    const TimerId id = m_nextTimer++;
    const milliseconds deadline = now() + std::max(delay, milliseconds::zero());
    m_timers[id] = {deadline, std::move(expired)};
    m_deadlines.insert({deadline, id});
    return id;
}

void WinMainLoop::cancelTimer(TimerId timer)
{
    const auto found = m_timers.find(timer);
    if (found == m_timers.end())
        return;
    m_deadlines.erase({found->second.deadline, timer});
    m_timers.erase(found);
}

void WinMainLoop::watchProcess(ProcessId pid, std::function<void()> ended)
{
    stopWatching(pid);
    if (m_watches.size() >= kMaxWatches) {
        // One client runs at a time; this many at once is a fault to see now,
        // not a wait that never ends.
        printMessage("more than " + std::to_string(kMaxWatches) + " programs waited for at once");
        std::terminate();
    }
    Watch &watch = m_watches[pid];
    watch.ended = std::move(ended);
    HANDLE copy = nullptr;
    const auto signal = reinterpret_cast<HANDLE>(m_platform.endSignal(pid));
    if (signal != reinterpret_cast<HANDLE>(-1)
        && DuplicateHandle(GetCurrentProcess(), signal, GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0)) {
        watch.handle = OwnedHandle(copy);
        return;
    }
    // The platform keeps the handle of every process it started until that
    // has been waited for, so without one there is nothing left to wait for:
    // the platform tells the outcome when asked.
    watch.handOver = startTimer(milliseconds::zero(), [this, pid] { processEnded(pid); });
}

void WinMainLoop::stopWatching(ProcessId pid)
{
    const auto found = m_watches.find(pid);
    if (found == m_watches.end())
        return;
    cancelTimer(found->second.handOver);
    m_watches.erase(found);
}

void WinMainLoop::processEnded(ProcessId pid)
{
    const auto found = m_watches.find(pid);
    if (found == m_watches.end())
        return;
    // Forgotten first: the call-back may watch the same id again.
    std::function<void()> ended = std::move(found->second.ended);
    stopWatching(pid);
    ended();
}

DWORD WinMainLoop::timeoutToNextTimer() const
{
    if (m_deadlines.empty())
        return INFINITE;
    const milliseconds left = m_deadlines.begin()->first - now();
    return static_cast<DWORD>(std::clamp<long long>(left.count(), 0, INFINITE - 1));
}

// Only the timers due when it starts: one that a call-back starts with no
// delay waits for the next turn, after the messages.
void WinMainLoop::fireDueTimers()
{
    const milliseconds at = now();
    std::vector<TimerId> due;
    for (auto it = m_deadlines.begin(); it != m_deadlines.end() && it->first <= at; ++it)
        due.push_back(it->second);
    for (const TimerId id : due) {
        const auto found = m_timers.find(id);
        if (found == m_timers.end())
            continue; // cancelled by an earlier call-back
        std::function<void()> expired = std::move(found->second.expired);
        cancelTimer(id);
        expired();
    }
}

int WinMainLoop::run(const std::function<HWND()> &dialog)
{
    for (;;) {
        std::vector<HANDLE> handles;
        std::vector<ProcessId> pids;
        for (const auto &[pid, watch] : m_watches) {
            if (watch.handle) {
                handles.push_back(watch.handle.get());
                pids.push_back(pid);
            }
        }
        const DWORD woke = MsgWaitForMultipleObjectsEx(static_cast<DWORD>(handles.size()), handles.data(),
                                                       timeoutToNextTimer(), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_FAILED) {
            // Every handle waited on is the loop's own; failing again at once would spin.
            printMessage("the main loop's wait failed: " + systemMessage(GetLastError()));
            std::terminate();
        }
        if (woke < WAIT_OBJECT_0 + handles.size())
            processEnded(pids[woke - WAIT_OBJECT_0]);
        fireDueTimers();
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT)
                return static_cast<int>(message.wParam);
            const HWND window = dialog();
            if (!window || !IsDialogMessageW(window, &message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
    }
}
