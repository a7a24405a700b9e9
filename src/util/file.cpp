#include "util/file.h"

#include <cerrno>
#include <cstring>

std::filesystem::path pathFromUtf8(const std::string &utf8)
{
    return std::u8string_view(reinterpret_cast<const char8_t *>(utf8.data()), utf8.size());
}

std::string utf8FromPath(const std::filesystem::path &path)
{
    const std::u8string utf8 = path.u8string();
    return std::string(reinterpret_cast<const char *>(utf8.data()), utf8.size());
}

// Through the path's native form: UTF-16 on Windows, the bytes themselves elsewhere.
std::FILE *openFileForReading(const std::string &path)
{
#ifdef _WIN32
    return _wfopen(pathFromUtf8(path).c_str(), L"rb");
#else
    return std::fopen(path.c_str(), "rb");
#endif
}

Result<std::string> readFile(const std::string &path)
{
    std::FILE *stream = openFileForReading(path);
    if (!stream)
        return Error{std::strerror(errno)};
    std::string bytes;
    char buffer[65536];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, stream)) > 0)
        bytes.append(buffer, count);
    // A directory opens on POSIX systems and fails only on reading.
    const int readError = std::ferror(stream) ? errno : 0;
    std::fclose(stream);
    if (readError)
        return Error{std::strerror(readError)};
    return bytes;
}
