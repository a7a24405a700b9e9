#include "storage/savefile_system.h"

#include "util/ownedhandle_win.h"
#include "util/widestring_win.h"

#include <windows.h>

#include <algorithm>
#include <limits>

namespace {

Error failure(const std::filesystem::path &file, DWORD error)
{
    return systemError(toUtf8(file.wstring()), systemMeaning(error), systemMessage(error));
}

// One call moves at most this much: the counts are 32 bits wide.
constexpr std::size_t kLargestTransfer = std::numeric_limits<DWORD>::max() / 2;

} // namespace

Result<void> writeNewFile(const std::filesystem::path &path, std::string_view bytes,
                          std::optional<std::filesystem::perms>)
{
    // No sharing: nothing reads the file before it is complete.
    OwnedHandle owned(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    const HANDLE file = owned.get();
    if (!file)
        return failure(path, GetLastError());
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
    // The handle's own error counts too, after the first one met while using it.
    const DWORD closeError = owned.close();
    error = error != ERROR_SUCCESS ? error : closeError;
    if (error != ERROR_SUCCESS)
        return failure(path, error);
    return {};
}

Result<std::filesystem::path> fileBehind(const std::filesystem::path &path)
{
    // Renaming onto a link would put a plain file in its place, so the save
    // goes to the file the system finally opens through it.
    constexpr DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const OwnedHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, shareAll, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND)
            return path;
        return failure(path, error);
    }
    // Room for the longest path the system has.
    std::wstring target(32768, L'\0');
    const auto size = static_cast<DWORD>(target.size());
    const DWORD length = GetFinalPathNameByHandleW(file.get(), target.data(), size, VOLUME_NAME_DOS);
    const DWORD error = length == 0 || length >= target.size() ? GetLastError() : ERROR_SUCCESS;
    if (error != ERROR_SUCCESS)
        return failure(path, error);
    target.resize(length);
    // "\\?\C:\..." back to the drive form, which every message shows.
    constexpr std::wstring_view longPrefix = L"\\\\?\\";
    const std::size_t drive = longPrefix.size();
    if (target.starts_with(longPrefix) && target.size() > drive + 1 && target[drive + 1] == L':')
        target.erase(0, drive);
    return std::filesystem::path(target);
}

Result<void> replaceFile(const std::filesystem::path &from, const std::filesystem::path &to)
{
    // Write-through: the call returns once the new name is on the disk.
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return failure(to, GetLastError());
    return {};
}

void syncFolder(const std::filesystem::path &)
{
    // Every rename was written through already (replaceFile).
}
