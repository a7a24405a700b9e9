#pragma once

#include "emulator/emulator.h"

#include <algorithm>
#include <climits>
#include <map>
#include <string>
#include <vector>

// A Platform on virtual time: nothing runs or sleeps, now() moves on by what
// was paused or waited, and every call lands in calls() as a line:
//   findWindow: Found | NotFound | NoDisplay    hasExited [hoot.exe]: yes | no
//   start [hoot.exe] minimized                  start [hootclient code 18] hidden: not found
//   wait [hootclient override] all: timed out | exit 3
//   pause 300 paintOnly    terminate [hoot.exe]    pump all (run outside a wait)
// A wait or pause names the pump it was handed: one of pumps(), "other" or "none".
class FakePlatform : public Platform
{
public:
    using ms = std::chrono::milliseconds;

    void windowPresentFromStart() { openWindow(); }
    // Each start of hoot.exe opens the window on the n-th look after it; 0: never.
    void windowAfterLooks(int n) { m_looksToWindow = n; }
    void noDisplay() { m_noDisplay = true; }
    void emulatorVanishes() { m_windowOpen = false; }
    void emulatorRestartedByUser() { openWindow(); }
    void emulatorDiesBeforeWindow(int times = INT_MAX) { m_deathsLeft = times; }
    // The next `times` starts of `program` (the command line's first word) fail.
    void failStarts(const std::string &program, const std::string &reason, int times = INT_MAX)
    {
        m_failures[program] = {reason, times};
    }
    void hangs(const std::string &commandLine) { m_exitCodes[commandLine] = kHangs; }
    void exitCode(const std::string &commandLine, int code) { m_exitCodes[commandLine] = code; }
    void nextPid(ProcessId pid) { m_nextPid = pid; }
    void clientRunTime(ms duration) { m_clientRunTime = duration; }
    EventPumps pumps()
    {
        return {[this] { notePump("all"); }, [this] { notePump("paintOnly"); }};
    }

    const std::vector<std::string> &calls() const { return m_calls; }
    // The lines whose first word is one of `kinds` (all for none).
    std::vector<std::string> calls(const std::vector<std::string_view> &kinds) const
    {
        std::vector<std::string> picked;
        for (const std::string &line : m_calls)
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
    void clearCalls() { m_calls.clear(); }

    WindowLookup findWindow(std::string_view title) override
    {
        WindowLookup result{m_noDisplay ? WindowSearch::NoDisplay : WindowSearch::NotFound};
        for (Process &process : m_processes)
            if (!m_noDisplay && process.opensWindow && process.running && ++process.looks == m_looksToWindow)
                openWindow();
        if (!m_noDisplay && m_windowOpen && title == kHootWindowTitle)
            result = {WindowSearch::Found, m_window};
        static constexpr const char *kNames[] = {"Found", "NotFound", "NoDisplay"};
        log(std::string("findWindow: ") + kNames[static_cast<int>(result.search)]);
        return result;
    }
    StartResult startProgram(std::string_view commandLine, ShowStyle style) override
    {
        const std::string line(commandLine), program = line.substr(0, line.find(' '));
        const std::string entry = "start [" + line + (style == ShowStyle::Hidden ? "] hidden" : "] minimized");
        if (auto failure = m_failures.find(program); failure != m_failures.end() && failure->second.second-- > 0) {
            log(entry + ": " + failure->second.first);
            return {0, failure->second.first};
        }
        const bool dies = program == "hoot.exe" && m_deathsLeft-- > 0;
        m_processes.push_back({m_nextPid++, line, !dies, program == "hoot.exe" && !dies});
        log(entry);
        return {m_processes.back().pid, {}};
    }
    WaitResult waitForExit(ProcessId pid, ms limit, const EventPump &pump) override
    {
        Process *process = find(pid);
        const std::size_t at = log("wait [" + process->line + "]"); // ahead of what the pump calls
        m_calls[at] += " " + runPump(pump);
        const int code = m_exitCodes.contains(process->line) ? m_exitCodes[process->line] : 0;
        if (process->running && (process->opensWindow || code == kHangs)) {
            m_now += limit;
            m_calls[at] += ": timed out";
            return {WaitResult::Outcome::TimedOut, 0};
        }
        if (process->running)
            m_now += std::min(m_clientRunTime, limit);
        process->running = false;
        if (code != 0)
            m_calls[at] += ": exit " + std::to_string(code);
        return {WaitResult::Outcome::Exited, code};
    }
    bool hasExited(ProcessId pid) override
    {
        log("hasExited [" + find(pid)->line + "]: " + (find(pid)->running ? "no" : "yes"));
        return !find(pid)->running;
    }
    void terminate(ProcessId pid) override
    {
        Process *process = find(pid);
        if (process->opensWindow && process->running)
            m_windowOpen = false;
        log("terminate [" + process->line + (process->running ? "]" : "] (ended)"));
        process->running = false;
    }
    void pause(ms duration, const EventPump &pump) override
    {
        const std::size_t at = log("pause " + std::to_string(duration.count()));
        m_calls[at] += " " + runPump(pump);
        m_now += duration;
    }
    ms now() override { return m_now; }

private:
    static constexpr int kHangs = INT_MIN;
    struct Process
    {
        ProcessId pid;
        std::string line;
        bool running;
        bool opensWindow;
        int looks = 0;
    };

    Process *find(ProcessId pid) { return &*std::ranges::find(m_processes, pid, &Process::pid); }
    void openWindow() { m_windowOpen = true, ++m_window; }
    std::size_t log(std::string line)
    {
        m_calls.push_back(std::move(line));
        return m_calls.size() - 1;
    }
    void notePump(const char *name)
    {
        if (m_pumpName.empty())
            log(std::string("pump ") + name);
        else if (m_pumpName == "other")
            m_pumpName = name; // the pump handed over, not one run from inside it
    }
    // Runs the pump once, as a real wait does; pumps may call the platform again.
    std::string runPump(const EventPump &pump)
    {
        if (!pump)
            return "none";
        std::string outer = std::exchange(m_pumpName, "other");
        pump();
        return std::exchange(m_pumpName, outer);
    }

    bool m_windowOpen = false, m_noDisplay = false;
    WindowId m_window = 0; // a new one each time the window opens
    int m_looksToWindow = 1, m_deathsLeft = 0;
    std::map<std::string, std::pair<std::string, int>> m_failures;
    std::map<std::string, int> m_exitCodes;
    ms m_clientRunTime{80}, m_now{0};
    std::vector<Process> m_processes;
    ProcessId m_nextPid = 100;
    std::vector<std::string> m_calls;
    std::string m_pumpName;
};
