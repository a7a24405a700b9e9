#include "app/singleinstance.h"

#include "util/ownedfd_posix.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The display without its screen and without the "unix" host, which names the
// same local socket: host:N.S and host:N, unix:N and :N are one session.
std::string displaySession()
{
    const char *value = std::getenv("DISPLAY");
    std::string display = value && *value ? value : "none";
    const std::size_t colon = display.rfind(':');
    if (const std::size_t screenDot = display.find('.', colon == std::string::npos ? 0 : colon + 1);
        screenDot != std::string::npos)
        display.resize(screenDot);
    if (display.starts_with("unix:"))
        display.erase(0, 4);
    std::replace(display.begin(), display.end(), '/', '_');
    return display;
}

// One lock per user (the folder) and per display (the name): separate X
// sessions of one user each get their own player. The folder must be the
// user's and writable by nobody else, or another user could hold the lock.
Result<std::string> lockFolder()
{
    std::string folder;
    if (const char *runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        folder = runtime;
    } else {
        std::error_code error;
        const std::filesystem::path temporary = std::filesystem::temp_directory_path(error);
        if (error)
            return systemError(temporary.string(), error);
        folder = temporary.string() + "/tunelark-" + std::to_string(getuid());
        if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
            return systemError(folder, errno);
    }
    struct stat status{};
    if (stat(folder.c_str(), &status) != 0)
        return systemError(folder, errno);
    if (!S_ISDIR(status.st_mode) || status.st_uid != getuid() || (status.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return Error{folder + ": このユーザーだけが書き込めるフォルダーではありません。",
                     folder + ": not a folder of this user's that only this user can write"};
    return folder;
}

} // namespace

struct SingleInstance::Hold
{
    OwnedFd lockFile;
};

SingleInstance::SingleInstance() : m_hold(std::make_unique<Hold>()) {}

SingleInstance::~SingleInstance() = default;

Result<bool> SingleInstance::acquire()
{
    const Result<std::string> folder = lockFolder();
    if (!folder)
        return folder.error();
    const std::string path = folder.value() + "/tunelark-" + displaySession() + ".lock";
    // Close-on-exec: the emulator must not inherit, and so keep, the lock.
    OwnedFd lockFile(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!lockFile)
        return systemError(path, errno);
    // The system lets go of the lock when the process ends, however it ends,
    // so a crashed run never blocks the next start.
    if (flock(lockFile.get(), LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK)
            return false;
        return systemError(path, error);
    }
    m_hold->lockFile = std::move(lockFile);
    return true;
}
