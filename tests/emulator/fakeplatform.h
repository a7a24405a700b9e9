#pragma once

#include "emulator/emulator.h"
#include "emulator/platform.h"

#include <chrono>
#include <algorithm>
#include <climits>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// A Platform on virtual time for tests: nothing really runs or sleeps, now()
// moves on by what was paused or waited, and every call lands in calls() as a
// readable line:
//   findWindow: Found | NotFound | NoDisplay
//   start [hoot.exe] minimized          start [hootclient code 18] hidden: not found
//   hasExited [hoot.exe]: yes | no
//   wait [hootclient override] all      wait [...] all: timed out | exit 3
//   pause 300 paintOnly                 terminate [hoot.exe]
//   pump all                            (a pump run outside a wait or pause)
// A wait or pause names the pump it was handed; pumps() gives pumps that say
// which one they are (any other pump shows as "other", none as "none").
class FakePlatform : public Platform
{
public:
    using ms = std::chrono::milliseconds;

    // --- script ---

    // The emulator's window is open before anything starts.
    void windowPresentFromStart() { openWindow(); }
    // Each start of `m_windowProgram` opens the window on the n-th look after it
    // (1: the first look finds it); 0 never opens it. The default is 1.
    void windowAfterLooks(int n) { m_looksToWindow = n; }
    void noDisplay() { m_noDisplay = true; }
    // The emulator goes away by itself (killed, crashed): its window is gone.
    void emulatorVanishes() { m_windowOpen = false; m_looksToWindow = 0; }
    // The user closed the emulator and started it again: a new window.
    void emulatorRestartedByUser() { openWindow(); }
    // The next `times` starts of the emulator end before opening their window.
    void emulatorDiesBeforeWindow(int times = INT_MAX) { m_deathsLeft = times; }
    // The next `times` starts of `program` (the command line's first word) fail.
    void failStarts(const std::string &program, const std::string &reason, int times = INT_MAX)
    {
        m_startFailures[program] = {reason, times};
    }
    // Runs of exactly this command line never end by themselves.
    void hangs(const std::string &commandLine) { m_hanging[commandLine] = true; }
    void exitCode(const std::string &commandLine, int code) { m_exitCodes[commandLine] = code; }
    // The pid the next start hands out; later ones count up from it.
    void nextPid(ProcessId pid) { m_nextPid = pid; }
    // How long a client run takes on the virtual clock.
    void clientRunTime(ms duration) { m_clientRunTime = duration; }

    // Pumps that tell the log which one ran; `extraAll` and `extraPaint` run
    // after that, e.g. to click a button in the middle of a wait.
    EventPumps pumps(std::function<void()> extraAll = {}, std::function<void()> extraPaint = {})
    {
        return {[this, extraAll] {
                    notePump("all");
                    if (extraAll)
                        extraAll();
                },
                [this, extraPaint] {
                    notePump("paintOnly");
                    if (extraPaint)
                        extraPaint();
                }};
    }

    // --- what happened ---

    const std::vector<std::string> &calls() const { return m_calls; }
    // The lines of calls() whose first word is one of `kinds`.
    std::vector<std::string> calls(std::initializer_list<std::string_view> kinds) const
    {
        std::vector<std::string> picked;
        for (const std::string &line : m_calls) {
            const std::string_view kind = std::string_view(line).substr(0, line.find_first_of(" :"));
            for (std::string_view wanted : kinds)
                if (kind == wanted)
                    picked.push_back(line);
        }
        return picked;
    }
    // The command lines of successful starts of hootclient, in order.
    std::vector<std::string> clientOrders() const
    {
        std::vector<std::string> orders;
        for (const Process &process : m_processes)
            if (programOf(process.commandLine) == "hootclient")
                orders.push_back(process.commandLine);
        return orders;
    }
    void clearCalls() { m_calls.clear(); }
    bool isRunning(ProcessId pid) const { return find(pid) && find(pid)->running; }
    bool windowOpen() const { return m_windowOpen; }

    // --- Platform ---

    WindowLookup findWindow(std::string_view titleUtf8) override
    {
        WindowLookup result;
        if (m_noDisplay) {
            result.search = WindowSearch::NoDisplay;
        } else {
            for (Process &process : m_processes)
                if (process.opensWindow && process.running && ++process.looks == m_looksToWindow)
                    openWindow();
            if (m_windowOpen && titleUtf8 == kHootWindowTitle)
                result = {WindowSearch::Found, m_windowId};
        }
        static constexpr const char *names[] = {"Found", "NotFound", "NoDisplay"};
        log(std::string("findWindow: ") + names[static_cast<int>(result.search)]);
        return result;
    }

    StartResult startProgram(std::string_view commandLine, ShowStyle style) override
    {
        const std::string line(commandLine);
        std::string entry = "start [" + line + "] "
            + (style == ShowStyle::MinimizedWithFocus ? "minimized" : "hidden");
        if (auto failure = m_startFailures.find(programOf(line));
            failure != m_startFailures.end() && failure->second.times > 0) {
            --failure->second.times;
            log(entry + ": " + failure->second.reason);
            return {0, failure->second.reason};
        }
        Process process{m_nextPid++, line};
        process.opensWindow = programOf(line) == m_windowProgram;
        if (process.opensWindow && m_deathsLeft > 0) {
            --m_deathsLeft;
            process.running = false;
            process.opensWindow = false;
        }
        m_processes.push_back(process);
        log(entry);
        return {process.pid, {}};
    }

    WaitResult waitForExit(ProcessId pid, ms limit, const EventPump &pump) override
    {
        // Logged before the pump runs, so calls made from inside the pump
        // come after the wait that let them in.
        const std::size_t at = log("wait [" + nameOf(pid) + "]");
        m_calls[at] += " " + runPump(pump);
        Process *process = find(pid);
        if (!process || !process->running)
            return {WaitResult::Outcome::Exited, process ? process->exitCode : 0};
        if (process->opensWindow || m_hanging.count(process->commandLine)) {
            m_now += limit;
            m_calls[at] += ": timed out";
            return {WaitResult::Outcome::TimedOut, 0};
        }
        m_now += std::min(m_clientRunTime, limit);
        process->running = false;
        if (auto code = m_exitCodes.find(process->commandLine); code != m_exitCodes.end())
            process->exitCode = code->second;
        if (process->exitCode != 0)
            m_calls[at] += ": exit " + std::to_string(process->exitCode);
        return {WaitResult::Outcome::Exited, process->exitCode};
    }

    bool hasExited(ProcessId pid) override
    {
        const Process *process = find(pid);
        const bool exited = !process || !process->running;
        log("hasExited [" + nameOf(pid) + "]: " + (exited ? "yes" : "no"));
        return exited;
    }

    void terminate(ProcessId pid) override
    {
        if (Process *process = find(pid)) {
            if (process->opensWindow && process->running)
                m_windowOpen = false;
            process->running = false;
        }
        log("terminate [" + nameOf(pid) + "]");
    }

    void pause(ms duration, const EventPump &pump) override
    {
        const std::size_t at = log("pause " + std::to_string(duration.count()));
        m_calls[at] += " " + runPump(pump);
        m_now += duration;
    }

    ms now() override { return m_now; }

private:
    struct Process
    {
        ProcessId pid = 0;
        std::string commandLine;
        bool running = true;
        bool opensWindow = false;
        int looks = 0;
        int exitCode = 0;
    };
    struct StartFailure
    {
        std::string reason;
        int times = 0;
    };

    static std::string programOf(const std::string &commandLine)
    {
        return commandLine.substr(0, commandLine.find(' '));
    }
    Process *find(ProcessId pid)
    {
        for (Process &process : m_processes)
            if (process.pid == pid)
                return &process;
        return nullptr;
    }
    const Process *find(ProcessId pid) const
    {
        for (const Process &process : m_processes)
            if (process.pid == pid)
                return &process;
        return nullptr;
    }
    std::string nameOf(ProcessId pid) const
    {
        const Process *process = find(pid);
        return process ? process->commandLine : "pid " + std::to_string(pid);
    }

    void openWindow()
    {
        m_windowOpen = true;
        ++m_windowId;
    }
    std::size_t log(std::string line)
    {
        m_calls.push_back(std::move(line));
        return m_calls.size() - 1;
    }
    void notePump(const char *name)
    {
        if (!m_insideCall)
            log(std::string("pump ") + name);
        else if (m_pumpName == "other")
            m_pumpName = name; // the pump handed over, not one run from inside it
    }
    // Runs the pump once, as a real wait does between its short pauses, and
    // says which one it was. Pumps may call the platform again (a nested
    // track change); the outer call's pump name survives that.
    std::string runPump(const EventPump &pump)
    {
        if (!pump)
            return "none";
        const bool outerInside = m_insideCall;
        const std::string outerName = m_pumpName;
        m_insideCall = true;
        m_pumpName = "other";
        pump();
        std::string name = m_pumpName;
        m_insideCall = outerInside;
        m_pumpName = outerName;
        return name;
    }

    std::string m_windowProgram = "hoot.exe";
    bool m_windowOpen = false;
    WindowId m_windowId = 0; // a new one each time the window opens
    bool m_noDisplay = false;
    int m_looksToWindow = 1;
    int m_deathsLeft = 0;
    std::map<std::string, StartFailure> m_startFailures;
    std::map<std::string, bool> m_hanging;
    std::map<std::string, int> m_exitCodes;
    ms m_clientRunTime{80};

    std::vector<Process> m_processes;
    ProcessId m_nextPid = 100;
    ms m_now{0};
    std::vector<std::string> m_calls;
    bool m_insideCall = false;
    std::string m_pumpName;
};
