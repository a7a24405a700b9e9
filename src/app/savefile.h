#pragma once

#include <optional>
#include <string>
#include <string_view>

// Replaces the file at `path` with `contents` so that it is always either the
// old or the new file, never a mix: the new contents go to a temporary file in
// the same folder, are flushed to disk and renamed over the file. The old file
// is kept as `path`.bak. A symbolic link stays a link and its target gets the
// new contents. Returns the reason on failure; the old file is then untouched.
std::optional<std::string> saveFileAtomically(const std::string &path, std::string_view contents);
