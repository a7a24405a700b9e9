#include "util/file.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

struct FileKind
{
    bool regular = false;
    bool directory = false;
    std::uint64_t size = 0;
};

// Through the path's native form: UTF-16 on Windows, the bytes themselves
// elsewhere. O_NONBLOCK lets a FIFO open at once, to be refused below.
#ifdef _WIN32
int openDescriptor(const std::string &path)
{
    return _wopen(pathFromUtf8(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}

std::FILE *streamOf(int descriptor)
{
    return _fdopen(descriptor, "rb");
}

Result<FileKind> kindOf(int descriptor)
{
    struct _stat64 status{};
    if (_fstat64(descriptor, &status) != 0)
        return systemError({}, errno);
    return FileKind{(status.st_mode & _S_IFMT) == _S_IFREG, (status.st_mode & _S_IFMT) == _S_IFDIR,
                    static_cast<std::uint64_t>(status.st_size)};
}
#else
int openDescriptor(const std::string &path)
{
    return ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

std::FILE *streamOf(int descriptor)
{
    return ::fdopen(descriptor, "rb");
}

Result<FileKind> kindOf(int descriptor)
{
    struct stat status{};
    if (::fstat(descriptor, &status) != 0)
        return systemError({}, errno);
    return FileKind{S_ISREG(status.st_mode), S_ISDIR(status.st_mode), static_cast<std::uint64_t>(status.st_size)};
}
#endif

Error folderError()
{
    return systemError({}, EISDIR);
}

Error tooLargeError()
{
    return Error{"256 MB を超える大きさです。", "is larger than 256 MB"};
}

} // unnamed

std::filesystem::path pathFromUtf8(const std::string &utf8)
{
    return std::u8string_view(reinterpret_cast<const char8_t *>(utf8.data()), utf8.size());
}

std::string utf8FromPath(const std::filesystem::path &path)
{
    const std::u8string utf8 = path.u8string();
    return std::string(reinterpret_cast<const char *>(utf8.data()), utf8.size());
}

Result<FileHandle> openRegularFile(const std::string &path)
{
    const int descriptor = openDescriptor(path);
    if (descriptor < 0) {
        const int error = errno;
        // Windows refuses to open a folder with "Permission denied".
        std::error_code ignored;
        if (std::filesystem::is_directory(pathFromUtf8(path), ignored))
            return folderError();
        return systemError({}, error);
    }
    FileHandle file(streamOf(descriptor), &std::fclose);
    if (!file) {
        const int error = errno;
        ::close(descriptor);
        return systemError({}, error);
    }
    const Result<FileKind> kind = kindOf(descriptor);
    if (!kind)
        return kind.error();
    if (kind->directory)
        return folderError();
    if (!kind->regular)
        return Error{"通常のファイルではありません（FIFO かデバイスです）。", "is not a regular file (a FIFO or a device)"};
    if (kind->size > kMaxFileBytes)
        return tooLargeError();
    return file;
}

Result<std::string> readStream(std::FILE *stream)
{
    std::string bytes;
    // Sized once from the file's length, so a long list is not copied while
    // the string grows.
    if (const Result<FileKind> kind = kindOf(fileno(stream)); kind && kind->size <= kMaxFileBytes)
        bytes.reserve(static_cast<std::size_t>(kind->size));
    char buffer[65536];
    while (const std::size_t count = std::fread(buffer, 1, sizeof buffer, stream)) {
        bytes.append(buffer, count);
        if (bytes.size() > kMaxFileBytes)
            return tooLargeError();
    }
    if (std::ferror(stream))
        return systemError({}, errno);
    return bytes;
}

Result<std::string> readFile(const std::string &path)
{
    Result<FileHandle> file = openRegularFile(path);
    if (!file)
        return file.error();
    return readStream(file.value().get());
}
