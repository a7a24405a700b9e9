// Saving on the system's own calls, on Linux and under Wine alike.

#include "app/savefile.h"
#include "util/file.h"

#include "../support/scopedenv.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#ifndef _WIN32
#include <cerrno>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

// The disk failing to write the new list's pages: on POSIX this program's
// fsync, which the save calls instead of the C library's, fails while the
// flag is set; Windows has no such seam, and the row is a plain save there.
static bool failFlush = false;
#ifdef _WIN32
constexpr bool kFlushCanFail = false;
#else
constexpr bool kFlushCanFail = true;
extern "C" int fsync(int fd)
{
    if (!failFlush)
        return static_cast<int>(syscall(SYS_fsync, fd));
    errno = EIO;
    return -1;
}
#endif

// Windows, the system with backslashes in paths, refuses to replace a file another program holds open.
constexpr bool kOpenFilesCannotBeReplaced = fs::path::preferred_separator == L'\\';

TEST(SaveFile, ReplacesKeepingTheOldAsBackupOrLeavesBothAsTheyWere)
{
    const struct
    {
        const char *name;
        std::string list;
        bool saved;
        bool backupIsFolder = false;
        bool listHeldOpen = false;
        bool flushFails = false;
    } cases[] = {
        {"the list is replaced and the old one kept", "tl.lst", true},
        {"a name outside ASCII", "曲の一覧.lst", true},
        {"a folder in the backup's place stops the save", "tl.lst", false, true},
        {"a reader holding the list open", "tl.lst", !kOpenFilesCannotBeReplaced, false, true},
        {"the disk fails as the new list is flushed", "tl.lst", !kFlushCanFail, false, false, kFlushCanFail},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.file(c.list);
        const fs::path list = pathFromUtf8(path), backup = pathFromUtf8(path + ".bak");
        std::ofstream(list, std::ios::binary) << "old";
        if (c.backupIsFolder)
            fs::create_directory(backup);
        else
            std::ofstream(backup, std::ios::binary) << "older";
        for (const char *left : {".tmp-Ab12Cd", ".bak.tmp-Ab12Cd"}) // by a save that was killed half-way
            std::ofstream(pathFromUtf8(path + left)) << "half";
        std::ifstream reader(c.listHeldOpen ? list : fs::path());

        failFlush = c.flushFails;
        const Result<void> saved = saveFileAtomically(path, "new");
        failFlush = false;
        reader.close();
        EXPECT_EQ(static_cast<bool>(saved), c.saved);
        EXPECT_TRUE(saved || saved.error().message.find(c.list) != std::string::npos) << "the reason names the file";
        EXPECT_EQ(readFile(path).value(), c.saved ? "new" : "old");
        const Result<std::string> backupBytes = readFile(path + ".bak");
        EXPECT_EQ(backupBytes ? backupBytes.value() : "folder", c.backupIsFolder ? "folder" : c.saved ? "old" : "older");
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 2) << "temporary files are removed";
    }
}

