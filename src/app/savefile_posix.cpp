#include "app/savefile_system.h"

#include "util/file.h"
#include "util/ownedfd_posix.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

Error reasonFor(const std::filesystem::path &file, int error)
{
    return systemError(utf8FromPath(file), error);
}

} // namespace

Result<void> writeNewFile(const std::filesystem::path &path, std::string_view bytes,
                          std::optional<std::filesystem::perms> mode)
{
    OwnedFd file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    const int fd = file.get();
    if (!file)
        return reasonFor(path, errno);
    // Set exactly, past the umask: a backup must not be more readable than its list.
    int error = mode && ::fchmod(fd, static_cast<mode_t>(*mode & std::filesystem::perms::mask)) != 0 ? errno : 0;
    for (std::size_t written = 0; !error && written < bytes.size();) {
        const ssize_t count = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (count > 0)
            written += static_cast<std::size_t>(count);
        else if (count == 0 || errno != EINTR)
            error = count == 0 ? EIO : errno;
    }
    // A full disk may show only here, when the buffered pages are written.
    if (!error && ::fsync(fd) != 0)
        error = errno;
    // The descriptor's own error counts too, after the first one met while using it.
    const int closeError = file.close();
    error = error ? error : closeError;
    if (error)
        return reasonFor(path, error);
    return {};
}

Result<std::filesystem::path> fileBehind(const std::filesystem::path &path)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::symlink_status(path, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return path;
    const bool isLink = !error && std::filesystem::is_symlink(status);
    const std::filesystem::path target = isLink ? std::filesystem::canonical(path, error) : path;
    if (error) // a link that leads nowhere among them
        return systemError(utf8FromPath(path), error);
    return target;
}

Result<void> replaceFile(const std::filesystem::path &from, const std::filesystem::path &to)
{
    if (::rename(from.c_str(), to.c_str()) != 0)
        return reasonFor(to, errno);
    return {};
}

void syncFolder(const std::filesystem::path &folder)
{
    const OwnedFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // The renames are done by now: a folder that cannot be synced makes the
    // save less durable, not wrong, so there is nothing to undo or report.
    if (fd)
        (void)::fsync(fd.get());
}
