#pragma once

#include "util/error.h"

#include <string>
#include <string_view>

// Replaces the file at `path` with `contents` so that it is always either the
// old or the new file, never a mix, and keeps the file that was there as
// `path`.bak. Both new files are written in full to temporary files in their
// folders and are on the disk before either is renamed into place, so a save
// that fails leaves `path` and `path`.bak exactly as they were. Both keep the
// permissions of the old file (on Windows they take the folder's access
// rights). A symbolic link stays a link and its target gets the new contents.
// A file its owner may not write is refused, not replaced. Temporary files of
// a save that was killed half-way (".<name>.tunelark-tmp-XXXXXX") are removed
// by the next one. `path` is UTF-8. Returns the reason on failure.
// KeptBackup::None keeps no backup, for a file of the program's own or one
// that others read while it changes (they see the old or the new one in full).
enum class KeptBackup { Previous, None };
Result<void> saveFileAtomically(const std::string &path, std::string_view contents,
                                KeptBackup backup = KeptBackup::Previous);
