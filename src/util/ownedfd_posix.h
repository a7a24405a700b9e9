#pragma once

#include <cerrno>
#include <utility>

#include <unistd.h>

// Owns one file descriptor (a file, a pidfd, a pipe's end) and closes it once.
class OwnedFd
{
public:
    OwnedFd() = default;
    explicit OwnedFd(int fd) : m_fd(fd < 0 ? -1 : fd) {}
    ~OwnedFd() { close(); }
    OwnedFd(OwnedFd &&other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    OwnedFd &operator=(OwnedFd &&other) noexcept
    {
        if (this != &other) {
            close();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    OwnedFd(const OwnedFd &) = delete;
    OwnedFd &operator=(const OwnedFd &) = delete;

    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }

    // Closes it now; errno when that fails (a file's last buffered write may
    // fail only here), else 0.
    int close()
    {
        const int fd = std::exchange(m_fd, -1);
        return fd < 0 || ::close(fd) == 0 ? 0 : errno;
    }

private:
    int m_fd = -1;
};
