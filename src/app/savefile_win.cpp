#include "app/savefile_system.h"

#include <windows.h>

#include <algorithm>
#include <limits>

namespace {

// The system's text for the error, in UTF-8 like every message.
std::string reasonFor(const std::filesystem::path &file, DWORD error)
{
    wchar_t *text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                            | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, error, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    std::wstring wide(text ? text : L"", length);
    LocalFree(text);
    while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r' || wide.back() == L'.'))
        wide.pop_back();
    const std::string message = std::filesystem::path(wide).string();
    return file.string() + ": " + (message.empty() ? "error " + std::to_string(error) : message);
}

// The handle's own error, or the first one met while using it.
DWORD closeKeepingFirstError(HANDLE file, DWORD error)
{
    const DWORD closeError = CloseHandle(file) ? ERROR_SUCCESS : GetLastError();
    return error != ERROR_SUCCESS ? error : closeError;
}

// One call moves at most this much: the counts are 32 bits wide.
constexpr std::size_t kLargestTransfer = std::numeric_limits<DWORD>::max() / 2;

} // namespace

std::optional<std::string> readWholeFile(const std::filesystem::path &path, std::string &bytes)
{
    // Others may go on reading, writing or renaming it meanwhile, as on Linux.
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return reasonFor(path, GetLastError());
    char buffer[65536];
    DWORD error = ERROR_SUCCESS;
    for (;;) {
        DWORD count = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &count, nullptr)) {
            error = GetLastError();
            break;
        }
        if (count == 0)
            break;
        bytes.append(buffer, count);
    }
    error = closeKeepingFirstError(file, error);
    return error != ERROR_SUCCESS ? std::optional(reasonFor(path, error)) : std::nullopt;
}

std::optional<std::string> writeNewFile(const std::filesystem::path &path, std::string_view bytes,
                                        std::optional<std::filesystem::perms>)
{
    // No sharing: nothing reads the file before it is complete.
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return reasonFor(path, GetLastError());
    DWORD error = ERROR_SUCCESS;
    for (std::size_t written = 0; error == ERROR_SUCCESS && written < bytes.size();) {
        const auto chunk = static_cast<DWORD>(std::min(bytes.size() - written, kLargestTransfer));
        DWORD count = 0;
        if (!WriteFile(file, bytes.data() + written, chunk, &count, nullptr))
            error = GetLastError();
        else if (count == 0)
            error = ERROR_WRITE_FAULT;
        written += count;
    }
    // A full disk may show only here, when the cached data is written.
    if (error == ERROR_SUCCESS && !FlushFileBuffers(file))
        error = GetLastError();
    error = closeKeepingFirstError(file, error);
    return error != ERROR_SUCCESS ? std::optional(reasonFor(path, error)) : std::nullopt;
}

std::optional<std::string> replaceFile(const std::filesystem::path &from, const std::filesystem::path &to)
{
    // Write-through: the call returns once the new name is on the disk.
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return std::nullopt;
    return reasonFor(to, GetLastError());
}

void syncFolder(const std::filesystem::path &)
{
    // Every rename was written through already (replaceFile).
}
