#include "player/listread.h"

#include <functional>
#include <utility>

std::size_t hashOfList(std::string_view bytes)
{
    return std::hash<std::string_view>{}(bytes);
}

Result<ListRead> readListFile(const std::string &path)
{
    ListRead read;
    Result<FileHandle> file = openRegularFile(path);
    if (!file)
        return file.error();
    read.file = std::move(file.value());
    const Result<std::string> bytes = readStream(read.file.get());
    if (!bytes)
        return bytes.error();
    read.size = bytes->size();
    read.hash = hashOfList(bytes.value());
    std::error_code unknown; // an unknown time counts as changed at the end
    read.time = std::filesystem::last_write_time(pathFromUtf8(path), unknown);
    read.problems = readTrackList(bytes.value(), read.list);
    return read;
}

std::future<Result<ListRead>> readListFileAhead(const std::string &path)
{
    return std::async(std::launch::async, readListFile, path);
}
