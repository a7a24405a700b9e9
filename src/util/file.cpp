#include "util/file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

// The path's native form: UTF-16 on Windows, whose narrow names are in the
// ANSI code page, the bytes themselves elsewhere.
#ifdef _WIN32
static std::FILE *openForReading(const wchar_t *path)
{
    return _wfopen(path, L"rb");
}
#else
static std::FILE *openForReading(const char *path)
{
    return std::fopen(path, "rb");
}
#endif

Result<std::string> readFile(const std::string &path)
{
    const std::filesystem::path native(std::u8string(path.begin(), path.end()));
    std::FILE *stream = openForReading(native.c_str());
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
