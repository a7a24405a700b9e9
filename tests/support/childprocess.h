#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

// A helper program run by a test (Xvfb, the window manager, the stand-in
// emulator), looked up on PATH and ended when the object goes.
class ChildProcess
{
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // Starts the program with its output (stdout and stderr) going to
    // outputPath; passFd, when given, becomes the child's descriptor 3.
    // Returns the reason when it cannot be started, empty otherwise.
    std::string start(const std::vector<std::string> &arguments, const std::string &outputPath = "/dev/null",
                      int passFd = -1);

    // The exit code once the program has ended within the limit.
    std::optional<int> waitForExit(std::chrono::milliseconds limit);
    bool running();
    // SIGTERM, then SIGKILL if it is still there after two seconds.
    void stop();

    pid_t pid() const { return m_pid; }

private:
    pid_t m_pid = 0;
    std::optional<int> m_exitCode;
};

// True when the program is an executable file on PATH.
bool onPath(const std::string &program);
