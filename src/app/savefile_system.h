#pragma once

#include "util/error.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// What saving needs from the system; one implementation per system
// (savefile_posix.cpp, savefile_win.cpp). Each returns the reason on failure,
// naming the file.

// Creates `path`, which must not exist yet, with `mode` (without one, the
// system's default for a new file; Windows files take the folder's access
// rights either way), writes every byte and returns once they are on the
// disk. On failure the caller removes what was created.
Result<void> writeNewFile(const std::filesystem::path &path, std::string_view bytes,
                          std::optional<std::filesystem::perms> mode);

// Puts `from` in the place of `to`, which may exist, in one step.
Result<void> replaceFile(const std::filesystem::path &from, const std::filesystem::path &to);

// Puts the folder's renames on the disk too.
void syncFolder(const std::filesystem::path &folder);
