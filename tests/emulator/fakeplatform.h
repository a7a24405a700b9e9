#pragma once

#include "emulator/emulator.h"

#include <algorithm>
#include <climits>
#include <map>
#include <string>
#include <vector>

// A Platform on virtual time: nothing runs or sleeps, and starts, pauses and
// ends land in `log` ("hoot.exe (minimized)", "hootclient code 18: not found",
// "pause 300 paintOnly", "hootclient override: all" when waited for with the
// pump named, "terminate hoot.exe"). Each start of hoot.exe opens the window
// on the looksToWindow-th look after it (0: never), unless it is one of the
// first `deaths` starts, which end before.
class FakePlatform : public Platform
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

    void openWindow() { m_windowOpen = true, ++m_window; } // a new window each time
    EventPumps pumps() { return {[this] { m_pumped = "all"; }, [this] { m_pumped = "paintOnly"; }}; }
    long count(std::string_view start) const
    {
        return std::ranges::count_if(log, [&](const std::string &line) { return line.starts_with(start); });
    }
    // The command lines of the clients that started, in order.
    std::vector<std::string> clientOrders() const
    {
        std::vector<std::string> orders;
        for (const auto &[pid, process] : m_processes)
            if (process.line.starts_with("hootclient"))
                orders.push_back(process.line);
        return orders;
    }

    WindowLookup findWindow(std::string_view title) override
    {
        if (noDisplay)
            return {WindowSearch::NoDisplay};
        if (m_looksLeft > 0 && --m_looksLeft == 0)
            openWindow();
        return m_windowOpen && title == kHootWindowTitle ? WindowLookup{WindowSearch::Found, m_window} : WindowLookup{};
    }
    StartResult startProgram(std::string_view commandLine, ShowStyle style) override
    {
        const std::string line(commandLine), program = line.substr(0, line.find(' '));
        log.push_back(line + (style == ShowStyle::Hidden ? "" : " (minimized)"));
        if (failures.contains(program)) {
            log.back() += ": " + failures[program];
            return {0, failures[program]};
        }
        const bool dies = program == "hoot.exe" && deaths-- > 0;
        m_looksLeft = program == "hoot.exe" && !dies ? looksToWindow : m_looksLeft;
        m_processes[m_nextPid] = {line, !dies, log.size() - 1};
        return {m_nextPid++, {}};
    }
    WaitResult waitForExit(ProcessId pid, ms limit, const EventPump &pump) override
    {
        Process &process = m_processes[pid];
        log[process.logged] += ": " + pumpName(pump);
        const int code = exitCodes.contains(process.line) ? exitCodes[process.line] : 0;
        const bool hangs = process.running && code == kHangs;
        m_clock += hangs ? limit : process.running ? std::min(runTime, limit) : ms(0);
        process.running = hangs;
        return {hangs ? WaitResult::Outcome::TimedOut : WaitResult::Outcome::Exited, hangs ? 0 : code};
    }
    bool hasExited(ProcessId pid) override { return !m_processes[pid].running; }
    void terminate(ProcessId pid) override
    {
        Process &process = m_processes[pid];
        if (process.line == "hoot.exe" && process.running)
            m_windowOpen = false, m_looksLeft = 0;
        log.push_back("terminate " + process.line + (process.running ? "" : " (ended)"));
        process.running = false;
    }
    void pause(ms duration, const EventPump &pump) override
    {
        log.push_back("pause " + std::to_string(duration.count()) + " " + pumpName(pump));
        m_clock += duration;
    }
    ms now() override { return m_clock; }

private:
    struct Process
    {
        std::string line;
        bool running = false;
        std::size_t logged = 0; // its line in the log
    };

    // Runs the pump once, as a real wait does.
    std::string pumpName(const EventPump &pump)
    {
        m_pumped = "none";
        if (pump)
            pump();
        return m_pumped;
    }

    bool m_windowOpen = false;
    int m_looksLeft = 0;
    WindowId m_window = 0;
    ProcessId m_nextPid = 100;
    ms m_clock{0};
    std::map<ProcessId, Process> m_processes; // in the order they started
    std::string m_pumped;
};
