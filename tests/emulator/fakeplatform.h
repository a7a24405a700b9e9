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
    // Every start of `program` (the command line's first word) fails.
    void failStarts(const std::string &program, const std::string &reason) { m_failures[program] = reason; }
    void hangs(const std::string &commandLine) { m_exitCodes[commandLine] = kHangs; }
    void exitCode(const std::string &commandLine, int code) { m_exitCodes[commandLine] = code; }
    void nextPid(ProcessId pid) { m_nextPid = pid; }
    void clientRunTime(ms duration) { m_clientRunTime = duration; }
    EventPumps pumps() { return {[this] { pumped("all"); }, [this] { pumped("paintOnly"); }}; }

    // The lines whose first word is one of `kinds` (all for none).
    std::vector<std::string> calls(const std::vector<std::string_view> &kinds = {}) const
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
        for (Process &process : m_processes)
            if (!m_noDisplay && process.opensWindow && process.running && ++process.looks == m_looksToWindow)
                openWindow();
        const WindowSearch search = m_noDisplay                                  ? WindowSearch::NoDisplay
            : m_windowOpen && title == kHootWindowTitle ? WindowSearch::Found
                                                        : WindowSearch::NotFound;
        static constexpr const char *kNames[] = {"Found", "NotFound", "NoDisplay"};
        log(std::string("findWindow: ") + kNames[static_cast<int>(search)]);
        return {search, search == WindowSearch::Found ? m_window : 0};
    }
    StartResult startProgram(std::string_view commandLine, ShowStyle style) override
    {
        const std::string line(commandLine), program = line.substr(0, line.find(' '));
        const std::string entry = "start [" + line + (style == ShowStyle::Hidden ? "] hidden" : "] minimized");
        if (m_failures.contains(program)) {
            log(entry + ": " + m_failures[program]);
            return {0, m_failures[program]};
        }
        const bool dies = program == "hoot.exe" && m_deathsLeft-- > 0;
        m_processes.push_back({m_nextPid++, line, !dies, program == "hoot.exe" && !dies});
        log(entry);
        return {m_processes.back().pid, {}};
    }
    WaitResult waitForExit(ProcessId pid, ms limit, const EventPump &pump) override
    {
        Process *process = find(pid);
        std::string &entry = m_calls.emplace_back("wait [" + process->line + "] " + runPump(pump));
        const int code = m_exitCodes.contains(process->line) ? m_exitCodes[process->line] : 0;
        if (process->running && (process->opensWindow || code == kHangs)) {
            m_now += limit;
            entry += ": timed out";
            return {WaitResult::Outcome::TimedOut, 0};
        }
        if (process->running)
            m_now += std::min(m_clientRunTime, limit);
        process->running = false;
        if (code != 0)
            entry += ": exit " + std::to_string(code);
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
        log("pause " + std::to_string(duration.count()) + " " + runPump(pump));
        m_now += duration;
    }
    ms now() override { return m_now; }

private:
    static constexpr int kHangs = INT_MIN;
    struct Process
    {
        ProcessId pid;
        std::string line;
        bool running, opensWindow;
        int looks = 0;
    };

    Process *find(ProcessId pid) { return &*std::ranges::find(m_processes, pid, &Process::pid); }
    void openWindow() { m_windowOpen = true, ++m_window; }
    void log(std::string line) { m_calls.push_back(std::move(line)); }
    void pumped(const char *name) { m_inPump ? void(m_pumpName = name) : log(std::string("pump ") + name); }
    // Runs the pump once, as a real wait does, and names it.
    std::string runPump(const EventPump &pump)
    {
        if (!pump)
            return "none";
        m_pumpName = "other", m_inPump = true;
        pump();
        m_inPump = false;
        return m_pumpName;
    }

    bool m_windowOpen = false, m_noDisplay = false, m_inPump = false;
    WindowId m_window = 0; // a new one each time the window opens
    int m_looksToWindow = 1, m_deathsLeft = 0;
    std::map<std::string, std::string> m_failures;
    std::map<std::string, int> m_exitCodes;
    ms m_clientRunTime{80}, m_now{0};
    std::vector<Process> m_processes;
    ProcessId m_nextPid = 100;
    std::vector<std::string> m_calls;
    std::string m_pumpName;
};
