#pragma once

#include "childprocess.h"

#include <chrono>
#include <string>
#include <vector>

// The stand-in emulator ("hoot.exe" from PATH), run on the current DISPLAY with
// its printed orders kept in a file.
class StandinEmulator
{
public:
    // Empty when it started; otherwise the reason.
    std::string start(const std::string &outputPath);
    // True once its window can be found by title, within the limit; false at
    // once if the program ended.
    bool waitForWindow(std::chrono::milliseconds limit);
    void stop() { m_process.stop(); }
    bool running() { return m_process.running(); }
    pid_t pid() const { return m_process.pid(); }

    // The orders it printed so far, one command line each.
    std::vector<std::string> printedOrders() const;

private:
    ChildProcess m_process;
    std::string m_outputPath;
};

// Polls for the emulator's window by title until it appears or the limit passes.
bool waitForHootWindow(std::chrono::milliseconds limit);
