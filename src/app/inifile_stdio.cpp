#include "app/inifile.h"

#include <cstdio>

// Where no system profile reader exists, the file's own bytes are all there is.
std::optional<IniFile> IniFile::load(const std::string &path)
{
    std::FILE *stream = std::fopen(path.c_str(), "rb");
    if (!stream)
        return std::nullopt;
    std::string bytes;
    char buffer[4096];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, stream)) > 0)
        bytes.append(buffer, count);
    // A directory opens on POSIX systems but fails on the first read.
    const bool failed = std::ferror(stream) != 0;
    std::fclose(stream);
    if (failed)
        return std::nullopt;
    return fromBytes(bytes);
}
