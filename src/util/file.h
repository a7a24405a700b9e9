#pragma once

#include "util/error.h"

#include <string>

// The whole file at `path` (UTF-8), or the system's reason why it cannot be
// read ("No such file or directory").
Result<std::string> readFile(const std::string &path);
