#pragma once

#include <windows.h>

#include <utility>

// Owns one kernel handle (a process, a file, a mutex) and closes it once.
// CreateFileW's INVALID_HANDLE_VALUE counts as no handle, like null.
class OwnedHandle
{
public:
    OwnedHandle() = default;
    explicit OwnedHandle(HANDLE handle) : m_handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ~OwnedHandle() { close(); }
    OwnedHandle(OwnedHandle &&other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    OwnedHandle &operator=(OwnedHandle &&other) noexcept
    {
        if (this != &other) {
            close();
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }
    OwnedHandle(const OwnedHandle &) = delete;
    OwnedHandle &operator=(const OwnedHandle &) = delete;

    HANDLE get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

    // Closes it now; the system's error when that fails (a file's last
    // buffered write may fail only here), else ERROR_SUCCESS.
    DWORD close()
    {
        const HANDLE handle = std::exchange(m_handle, nullptr);
        return !handle || CloseHandle(handle) ? ERROR_SUCCESS : GetLastError();
    }

private:
    HANDLE m_handle = nullptr;
};
