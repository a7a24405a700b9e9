#pragma once

#include "emulator/emulator.h"

#include <algorithm>
#include <climits>
#include <map>
#include <string>
#include <vector>

// A Platform on virtual time: nothing runs or sleeps, now() moves on by what
// was paused or waited, and every call lands in `log` as a line:
//   hoot.exe (minimized)   hootclient code 18: not found   terminate hoot.exe
//   wait hootclient override: all   pause 300 paintOnly   pump all (run outside a wait)
// A wait or pause names the pump it was handed: one of pumps(), or "none".
class FakePlatform : public Platform
{
public:
    using ms = std::chrono::milliseconds;
    static constexpr int kHangs = INT_MIN; // as an exit code: the run never ends

    // Each start of hoot.exe opens the window on the n-th look after it (0:
    // never), unless it is one of the first `deaths` starts, which end before.
    int looksToWindow = 1, deaths = 0;
    bool noDisplay = false, windowOpen = false;
    ProcessId nextPid = 100;
    std::map<std::string, std::string> failures; // program: why it cannot start
    std::map<std::string, int> exitCodes;        // command line: its exit code
    ms runTime{80}, clock{0};
    std::vector<std::string> log;

    void openWindow() { windowOpen = true, ++m_window; } // a new window each time
    void windowPresentFromStart() { openWindow(); }
    void failStarts(const std::string &program, const std::string &reason) { failures[program] = reason; }
    void clientRunTime(ms duration) { runTime = duration; }
    EventPumps pumps() { return {[this] { pumped("all"); }, [this] { pumped("paintOnly"); }}; }

    // The lines whose first word is one of `kinds` (all for none).
    std::vector<std::string> calls(const std::vector<std::string_view> &kinds = {}) const
    {
        std::vector<std::string> picked;
        for (const std::string &line : log)
            if (kinds.empty() || std::ranges::find(kinds, line.substr(0, line.find_first_of(" :"))) != kinds.end())
                picked.push_back(line);
        return picked;
    }
    // The command lines of the clients that started, in order.
    std::vector<std::string> clientOrders() const
    {
        std::vector<std::string> orders;
        for (const Process &process : m_processes)
            if (process.line.starts_with("hootclient"))
                orders.push_back(process.line);
        return orders;
    }

    WindowLookup findWindow(std::string_view title) override
    {
        for (Process &process : m_processes)
            if (process.opensWindow && process.running && ++process.looks == looksToWindow && !noDisplay)
                openWindow();
        if (noDisplay)
            return {WindowSearch::NoDisplay};
        return windowOpen && title == kHootWindowTitle ? WindowLookup{WindowSearch::Found, m_window} : WindowLookup{};
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
        m_processes.push_back({nextPid++, line, !dies, program == "hoot.exe" && !dies});
        return {m_processes.back().pid, {}};
    }
    WaitResult waitForExit(ProcessId pid, ms limit, const EventPump &pump) override
    {
        Process &process = find(pid);
        log.push_back("wait " + process.line + ": " + runPump(pump));
        const int code = exitCodes.contains(process.line) ? exitCodes[process.line] : 0;
        const bool hangs = process.running && (process.opensWindow || code == kHangs);
        clock += hangs ? limit : process.running ? std::min(runTime, limit) : ms(0);
        process.running = hangs;
        return {hangs ? WaitResult::Outcome::TimedOut : WaitResult::Outcome::Exited, hangs ? 0 : code};
    }
    bool hasExited(ProcessId pid) override { return !find(pid).running; }
    void terminate(ProcessId pid) override
    {
        Process &process = find(pid);
        windowOpen = windowOpen && !(process.opensWindow && process.running);
        log.push_back("terminate " + process.line + (process.running ? "" : " (ended)"));
        process.running = false;
    }
    void pause(ms duration, const EventPump &pump) override
    {
        log.push_back("pause " + std::to_string(duration.count()) + " " + runPump(pump));
        clock += duration;
    }
    ms now() override { return clock; }

private:
    struct Process
    {
        ProcessId pid;
        std::string line;
        bool running, opensWindow;
        int looks = 0;
    };

    Process &find(ProcessId pid) { return *std::ranges::find(m_processes, pid, &Process::pid); }
    void pumped(const char *name) { m_inWait ? void(m_pumpName = name) : log.push_back(std::string("pump ") + name); }
    // Runs the pump once, as a real wait does, and names it.
    std::string runPump(const EventPump &pump)
    {
        m_pumpName = "none";
        if (pump)
            m_inWait = true, pump(), m_inWait = false;
        return m_pumpName;
    }

    bool m_inWait = false;
    WindowId m_window = 0;
    std::vector<Process> m_processes;
    std::string m_pumpName;
};
