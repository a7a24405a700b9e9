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

// The file that writing through `path` must change: the final target of a
// symbolic link, `path` itself for anything else or when nothing is there.
Result<std::filesystem::path> fileBehind(const std::filesystem::path &path);

// Puts `from` in the place of `to`, which may exist, in one step.
Result<void> replaceFile(const std::filesystem::path &from, const std::filesystem::path &to);

// Puts the folder's renames on the disk too.
void syncFolder(const std::filesystem::path &folder);
