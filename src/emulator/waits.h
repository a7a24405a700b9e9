#pragma once

#include "platform/mainloop.h"

#include <chrono>
#include <coroutine>
#include <optional>

// What a coroutine of the core awaits: the end of a program or a pause. The
// coroutine is suspended meanwhile and the main loop goes on; an awaiter
// destroyed while it waits (its coroutine abandoned) cancels what it asked of
// the loop.

// The end of a started process, at most `limit` later: Exited with its code,
// or TimedOut (the process still runs).
class ProcessEnd
{
public:
    ProcessEnd(MainLoop &loop, Platform &platform, ProcessId pid, std::chrono::milliseconds limit)
        : m_loop(loop), m_platform(platform), m_pid(pid), m_limit(limit)
    {
    }
    ProcessEnd(const ProcessEnd &) = delete;
    ProcessEnd &operator=(const ProcessEnd &) = delete;
    ~ProcessEnd() { cancel(); }

    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> waiting)
    {
        m_waiting = waiting;
        m_watching = true;
        m_loop.watchProcess(m_pid, [this] {
            m_watching = false;
            finish(m_platform.waitForExit(m_pid, std::chrono::milliseconds::zero()));
        });
        m_timer = m_loop.startTimer(m_limit, [this] {
            m_timer.reset();
            finish({WaitResult::Outcome::TimedOut, 0});
        });
    }
    WaitResult await_resume() const { return *m_result; }

private:
    void finish(WaitResult result)
    {
        cancel();
        m_result = result;
        m_waiting.resume();
    }
    void cancel()
    {
        if (m_watching)
            m_loop.stopWatching(m_pid);
        m_watching = false;
        if (m_timer)
            m_loop.cancelTimer(*m_timer);
        m_timer.reset();
    }

    MainLoop &m_loop;
    Platform &m_platform;
    ProcessId m_pid;
    std::chrono::milliseconds m_limit;
    std::coroutine_handle<> m_waiting;
    std::optional<MainLoop::TimerId> m_timer;
    bool m_watching = false;
    std::optional<WaitResult> m_result;
};

// A pause of `duration`; the window goes on being drawn, and what the user
// does meanwhile waits in the player's queue.
class Pause
{
public:
    Pause(MainLoop &loop, std::chrono::milliseconds duration) : m_loop(loop), m_duration(duration) {}
    Pause(const Pause &) = delete;
    Pause &operator=(const Pause &) = delete;
    ~Pause()
    {
        if (m_timer)
            m_loop.cancelTimer(*m_timer);
    }

    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> waiting)
    {
        m_timer = m_loop.startTimer(m_duration, [this, waiting] {
            m_timer.reset();
            waiting.resume();
        });
    }
    void await_resume() const noexcept {}

private:
    MainLoop &m_loop;
    std::chrono::milliseconds m_duration;
    std::optional<MainLoop::TimerId> m_timer;
};
