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
// Wine only pretends to make a link for a Windows program; e2e_win.sh links the list from outside.
constexpr bool kLinksCanBeMade = !kOpenFilesCannotBeReplaced;

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
        fs::perms mode = fs::perms::owner_read | fs::perms::owner_write;
        bool linked = false; // the list is a link to real.lst
    } cases[] = {
        {"the list is replaced and the old one kept", "tl.lst", true},
        {"a name outside ASCII", "曲の一覧.lst", true},
        {"a folder in the backup's place stops the save", "tl.lst", false, true},
        {"a reader holding the list open", "tl.lst", !kOpenFilesCannotBeReplaced, false, true},
        {"the disk fails as the new list is flushed", "tl.lst", !kFlushCanFail, false, false, kFlushCanFail},
        {"a read-only list is refused", "tl.lst", false, false, false, false, fs::perms::owner_read},
        {"a list only its group may write is refused", "tl.lst", false, false, false, false,
         fs::perms::owner_read | fs::perms::group_write},
        {"a link stays a link and its target gets the list", "tl.lst", true, false, false, false,
         fs::perms::owner_read | fs::perms::owner_write, kLinksCanBeMade},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.file(c.list);
        const fs::path list = pathFromUtf8(path), backup = pathFromUtf8(path + ".bak");
        const fs::path written = c.linked ? pathFromUtf8(dir.file("real.lst")) : list;
        std::ofstream(written, std::ios::binary) << "old";
        if (c.linked)
            fs::create_symlink("real.lst", list);
        fs::permissions(written, c.mode);
        if (c.backupIsFolder)
            fs::create_directory(backup);
        else
            std::ofstream(backup, std::ios::binary) << "older";
        for (const std::string &left : {utf8FromPath(written.filename()), c.list + ".bak"}) // of a save killed half-way
            std::ofstream(pathFromUtf8(dir.file("." + left + ".tunelark-tmp-Ab12Cd"))) << "half";
        std::ifstream reader(c.listHeldOpen ? list : fs::path());

        failFlush = c.flushFails;
        const Result<void> saved = saveFileAtomically(path, "new");
        failFlush = false;
        reader.close();
        EXPECT_EQ(static_cast<bool>(saved), c.saved);
        EXPECT_TRUE(saved || saved.error().text.find(c.linked ? "real.lst" : c.list) != std::string::npos)
            << "the reason names the file";
        EXPECT_EQ(readFile(path).value(), c.saved ? "new" : "old");
        EXPECT_EQ(fs::is_symlink(list), c.linked);
        EXPECT_EQ(fs::status(written).permissions() & fs::perms::owner_write, c.mode & fs::perms::owner_write);
        const Result<std::string> backupBytes = readFile(path + ".bak");
        EXPECT_EQ(backupBytes ? backupBytes.value() : "folder", c.backupIsFolder ? "folder" : c.saved ? "old" : "older");
        const bool refused = (c.mode & fs::perms::owner_write) == fs::perms::none; // before anything is touched
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 2 + c.linked + 2 * refused)
            << "temporary files are removed";
        fs::permissions(written, fs::perms::owner_all); // Windows removes no read-only file
    }
}

TEST(SaveFile, RemovesOnlyTheTemporaryFilesOfAKilledSave)
{
    const struct
    {
        const char *name;
        bool removed;
    } cases[] = {
        {".tl.lst.tunelark-tmp-Ab12Cd", true},
        {".tl.lst.bak.tunelark-tmp-zZ0990", true},
        {"tl.lst.tmp-backup", false},
        {"tl.lst.bak.tmp-mycopy", false},
        {"tl.lst.tmp-Ab12Cd", false},
        {".tl.lst.tunelark-tmp-my-cop", false},
        {".tl.lst.tunelark-tmp-Ab12Cd7", false},
        {".other.lst.tunelark-tmp-Ab12Cd", false},
    };
    TempDir dir;
    for (const auto &c : cases)
        std::ofstream(pathFromUtf8(dir.file(c.name))) << "mine";
    ASSERT_TRUE(saveFileAtomically(dir.file("tl.lst"), "new"));
    for (const auto &c : cases)
        EXPECT_EQ(fs::exists(pathFromUtf8(dir.file(c.name))), !c.removed) << c.name;
}

