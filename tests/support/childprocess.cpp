#include "childprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

extern char **environ;

std::string ChildProcess::start(const std::vector<std::string> &arguments, const std::string &outputPath, int passFd)
{
    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    if (passFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, passFd, 3);
    posix_spawn_file_actions_addclosefrom_np(&actions, passFd >= 0 ? 4 : 3);
    const int error = posix_spawnp(&m_pid, argv.front(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    m_exitCode.reset();
    m_pid = error == 0 ? m_pid : 0;
    return error == 0 ? "" : arguments.front() + ": " + std::strerror(error);
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds limit)
{
    if (m_pid <= 0 || m_exitCode)
        return m_exitCode;
    if (const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, m_pid, 0)); pidfd >= 0) {
        pollfd entry{pidfd, POLLIN, 0};
        poll(&entry, 1, static_cast<int>(limit.count()));
        close(pidfd);
    }
    int status = 0;
    if (waitpid(m_pid, &status, WNOHANG) == m_pid)
        m_exitCode = WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
    return m_exitCode;
}

void ChildProcess::stop()
{
    for (const int signal : {SIGTERM, SIGKILL})
        if (m_pid > 0 && !waitForExit(std::chrono::milliseconds(0)) && kill(m_pid, signal) == 0)
            waitForExit(std::chrono::seconds(2));
}
