#pragma once

#include "emulator/emulator.h"
#include "platform/mainloop.h"

#include <algorithm>
#include <climits>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

// A Platform and its main loop on virtual time: nothing runs or sleeps. Starts,
// expired waits and ends land in `log` ("hoot.exe (minimized)", "hootclient
// code 18: not found", "wait 300" when a timer of 300 ms expired, "terminate
// hoot.exe"). A client runs for runTime unless its exit code is kHangs. Each
// start of hoot.exe opens the window on the looksToWindow-th look after it
// (0: never), unless it is one of the first `deaths` starts, which end at once.
class FakePlatform : public Platform, public MainLoop
{
public:
    using ms = std::chrono::milliseconds;
    static constexpr int kHangs = INT_MIN; // as an exit code: the run never ends

    int looksToWindow = 1, deaths = 0;
    bool noDisplay = false;
    std::map<std::string, std::string> failures; // by program: why it does not start
    std::map<std::string, int> exitCodes;        // by command line
    ms runTime{80};                              // of a client
    std::vector<std::string> log;
    std::function<void(const std::string &)> onClientStart; // each client's command line, once it runs

    void openWindow() { m_windowOpen = true, ++m_window, ++m_owner; } // a new window each time
    void reopenWithTheSameId() { m_windowOpen = true, ++m_owner; }   // as X11 may hand out a closed window's id
    long count(std::string_view start) const
    {
        return std::ranges::count_if(log, [&](const std::string &line) { return line.starts_with(start); });
    }

    // Delivers the loop's events in their order until `done` holds or
    // nothing is left to wait for; false when nothing was left.
    bool runUntil(const std::function<bool()> &done)
    {
        while (!done() && deliverNext(std::nullopt)) {}
        return done();
    }
    // Delivers every event due within `duration`, and moves the clock on by it.
    void advance(ms duration)
    {
        const ms until = m_clock + duration;
        while (deliverNext(until)) {}
        m_clock = until;
    }

    WindowLookup findWindow(std::string_view title) override
    {
        if (noDisplay)
            return {WindowSearch::NoDisplay};
        if (m_looksLeft > 0 && --m_looksLeft == 0)
            openWindow();
        return m_windowOpen && title == kHootWindowTitle ? WindowLookup{WindowSearch::Found, m_window, m_owner}
                                                         : WindowLookup{};
    }
    Result<ProcessId> startProgram(std::string_view commandLine, ShowStyle style) override
    {
        const std::string line(commandLine), program = line.substr(0, line.find(' '));
        log.push_back(line + (style == ShowStyle::Hidden ? "" : " (minimized)"));
        if (failures.contains(program)) {
            log.back() += ": " + failures[program];
            return startError(program, std::errc::io_error, failures[program]);
        }
        const bool dies = program == "hoot.exe" && deaths-- > 0;
        m_looksLeft = program == "hoot.exe" && !dies ? looksToWindow : m_looksLeft;
        const int code = exitCodes.contains(line) ? exitCodes[line] : 0;
        const bool client = program == "hootclient";
        std::optional<ms> end = dies ? std::optional(m_clock) : std::nullopt;
        if (client && code != kHangs)
            end = m_clock + runTime;
        m_processes[m_nextPid] = {line, end, code == kHangs ? 0 : code};
        if (client && onClientStart)
            onClientStart(line);
        return m_nextPid++;
    }
    bool commandLineFits(std::string_view commandLine) const override { return commandLine.size() <= 1000; }
    WaitResult waitForExit(ProcessId pid, ms limit) override
    {
        Process &process = m_processes.at(pid);
        if (!process.end || *process.end > m_clock + limit) {
            m_clock += limit;
            return {WaitResult::Outcome::TimedOut, 0};
        }
        m_clock = std::max(m_clock, *process.end);
        return {WaitResult::Outcome::Exited, process.code};
    }
    std::intptr_t endSignal(ProcessId) override { return -1; }
    bool hasExited(ProcessId pid) override
    {
        const Process &process = m_processes.at(pid);
        return process.end && *process.end <= m_clock;
    }
    void terminate(ProcessId pid) override
    {
        Process &process = m_processes.at(pid);
        const bool running = !hasExited(pid);
        if (process.line == "hoot.exe" && running)
            m_windowOpen = false, m_looksLeft = 0;
        log.push_back("terminate " + process.line + (running ? "" : " (ended)"));
        process.end = std::min(process.end.value_or(m_clock), m_clock);
    }
    ms now() const override { return m_clock; }
    ms now() override { return m_clock; }

    TimerId startTimer(ms delay, std::function<void()> expired) override
    {
        m_timers[m_nextTimer] = {m_clock + delay, delay, std::move(expired)};
        return m_nextTimer++;
    }
    void cancelTimer(TimerId timer) override { m_timers.erase(timer); }
    void watchProcess(ProcessId pid, std::function<void()> ended) override { m_watches[pid] = std::move(ended); }
    void stopWatching(ProcessId pid) override { m_watches.erase(pid); }

private:
    struct Process { std::string line; std::optional<ms> end; int code = 0; }; // end: none while it hangs
    struct Timer { ms due, delay; std::function<void()> expired; };

    // The earliest event (a process end before a timer due at the same
    // time, timers in the order they were started), if it is due by `until`.
    bool deliverNext(std::optional<ms> until)
    {
        std::optional<ms> due;
        std::optional<ProcessId> endOf;
        for (const auto &[pid, ended] : m_watches) {
            const auto &end = m_processes.at(pid).end;
            if (end && (!due || *end < *due))
                due = end, endOf = pid;
        }
        std::optional<TimerId> timer;
        for (const auto &[id, entry] : m_timers) {
            if (!due || entry.due < *due)
                due = entry.due, timer = id, endOf.reset();
        }
        if (!due || (until && *due > *until))
            return false;
        m_clock = std::max(m_clock, *due);
        if (endOf) {
            const auto ended = std::move(m_watches.at(*endOf));
            m_watches.erase(*endOf);
            ended();
        } else {
            Timer expired = std::move(m_timers.at(*timer));
            m_timers.erase(*timer);
            log.push_back("wait " + std::to_string(expired.delay.count()));
            expired.expired();
        }
        return true;
    }

    bool m_windowOpen = false;
    int m_looksLeft = 0;
    WindowId m_window = 0;
    ProcessId m_owner = 0;
    ProcessId m_nextPid = 100;
    ms m_clock{0};
    TimerId m_nextTimer = 1;
    std::map<ProcessId, Process> m_processes;
    std::map<TimerId, Timer> m_timers;
    std::map<ProcessId, std::function<void()>> m_watches;
};
