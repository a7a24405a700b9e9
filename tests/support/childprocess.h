#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <sys/types.h>

// A helper program run by a test (Xvfb, openbox, xdotool, the player), looked
// up on PATH and ended when the object goes.
class ChildProcess
{
public:
    ChildProcess() = default;
    ~ChildProcess() { stop(); }
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // Output (stdout and stderr) replaces outputPath; passFd, when given,
    // becomes the child's descriptor 3. The reason it cannot start, or empty.
    std::string start(const std::vector<std::string> &arguments, const std::string &outputPath = "/dev/null",
                      int passFd = -1);
    // The exit code once the program has ended within the limit.
    std::optional<int> waitForExit(std::chrono::milliseconds limit);
    // True while it has not ended (the benchmarks watch their stand-ins with it).
    bool running() { return m_pid > 0 && !waitForExit(std::chrono::milliseconds(0)); }
    // SIGTERM, then SIGKILL if it is still there after two seconds.
    void stop();
    pid_t pid() const { return m_pid; }

private:
    pid_t m_pid = 0;
    std::optional<int> m_exitCode;
};

// Looks every 20 ms until check() holds; false once the limit has passed.
template <typename Check>
bool waitUntil(Check check, std::chrono::milliseconds limit = std::chrono::seconds(15))
{
    for (const auto deadline = std::chrono::steady_clock::now() + limit; !check();) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}
