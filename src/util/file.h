#pragma once

#include "util/error.h"

#include <cstdio>
#include <filesystem>
#include <string>

// Paths are UTF-8 text everywhere in the program; on Windows a plain string
// would be taken in the ANSI code page, so these go through char8_t.
std::filesystem::path pathFromUtf8(const std::string &utf8);
std::string utf8FromPath(const std::filesystem::path &path);

// The file at `path` (UTF-8) opened for reading bytes; nullptr with errno set.
std::FILE *openFileForReading(const std::string &path);

// The whole file at `path` (UTF-8), or the system's reason why it cannot be
// read ("No such file or directory").
Result<std::string> readFile(const std::string &path);
