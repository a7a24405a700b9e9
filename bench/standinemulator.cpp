#include "standinemulator.h"

#include "emulator/emulator.h"
#include "platform/platform_posix.h"

#include <fstream>
#include <thread>

std::string StandinEmulator::start(const std::string &outputPath)
{
    m_outputPath = outputPath;
    return m_process.start({"hoot.exe"}, outputPath);
}

// Polls for the window; gives up early once the emulator process has ended.
static bool pollForWindow(std::chrono::milliseconds limit, ChildProcess *process)
{
    PosixPlatform platform;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (platform.findWindow(kHootWindowTitle).search != WindowSearch::Found) {
        if (std::chrono::steady_clock::now() > deadline || (process && !process->running()))
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

bool StandinEmulator::waitForWindow(std::chrono::milliseconds limit)
{
    return pollForWindow(limit, &m_process);
}

std::vector<std::string> StandinEmulator::printedOrders() const
{
    std::vector<std::string> orders;
    std::ifstream file(m_outputPath);
    for (std::string line; std::getline(file, line);) {
        if (line.rfind("hootclient", 0) == 0)
            orders.push_back(line);
    }
    return orders;
}

bool waitForHootWindow(std::chrono::milliseconds limit)
{
    return pollForWindow(limit, nullptr);
}
