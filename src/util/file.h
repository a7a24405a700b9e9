#pragma once

#include "util/error.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

// Paths are UTF-8 text everywhere in the program; on Windows a plain string
// would be taken in the ANSI code page, so these go through char8_t.
std::filesystem::path pathFromUtf8(const std::string &utf8);
std::string utf8FromPath(const std::filesystem::path &path);

// No list or settings file comes near this; a larger one is a mistake, and
// reading it whole would take the memory of the machine.
inline constexpr std::uint64_t kMaxFileBytes = 256 * 1024 * 1024;

using FileHandle = std::unique_ptr<std::FILE, int (*)(std::FILE *)>;

// The regular file at `path` (UTF-8) opened for reading bytes, or why not,
// without the file's name: the system's reason, or that it is a folder, no
// regular file (a FIFO is refused without waiting for a writer, a device
// without reading it) or larger than kMaxFileBytes.
Result<FileHandle> openRegularFile(const std::string &path);

// The rest of an opened file, or why it cannot be read; one that has grown
// past kMaxFileBytes meanwhile is refused too.
Result<std::string> readStream(std::FILE *stream);

// The whole regular file at `path` (UTF-8), or why it cannot be read.
Result<std::string> readFile(const std::string &path);
