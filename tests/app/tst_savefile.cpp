// Saving on the system's own calls, on Linux and under Wine alike.

#include "app/savefile.h"
#include "util/file.h"

#include "../support/scopedenv.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

// Windows, the system with backslashes in paths, refuses to replace a file another program holds open.
constexpr bool kOpenFilesCannotBeReplaced = fs::path::preferred_separator == L'\\';

static fs::path fromUtf8(const std::string &name)
{
    return std::u8string_view(reinterpret_cast<const char8_t *>(name.data()), name.size());
}

TEST(SaveFile, ReplacesKeepingTheOldAsBackupOrLeavesBothAsTheyWere)
{
    const struct
    {
        const char *name;
        std::string list;
        bool saved;
        bool backupIsFolder = false;
        bool listHeldOpen = false;
    } cases[] = {
        {"the list is replaced and the old one kept", "tl.lst", true},
        {"a name outside ASCII", "曲の一覧.lst", true},
        {"a folder in the backup's place stops the save", "tl.lst", false, true},
        {"a reader holding the list open", "tl.lst", !kOpenFilesCannotBeReplaced, false, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.file(c.list);
        const fs::path list = fromUtf8(path), backup = fromUtf8(path + ".bak");
        std::ofstream(list, std::ios::binary) << "old";
        if (c.backupIsFolder)
            fs::create_directory(backup);
        else
            std::ofstream(backup, std::ios::binary) << "older";
        for (const char *left : {".tmp-Ab12Cd", ".bak.tmp-Ab12Cd"}) // by a save that was killed half-way
            std::ofstream(fromUtf8(path + left)) << "half";
        std::ifstream reader(c.listHeldOpen ? list : fs::path());

        const Result<void> saved = saveFileAtomically(path, "new");
        reader.close();
        EXPECT_EQ(static_cast<bool>(saved), c.saved);
        EXPECT_TRUE(saved || saved.error().message.find(c.list) != std::string::npos) << "the reason names the file";
        EXPECT_EQ(readFile(path).value(), c.saved ? "new" : "old");
        const Result<std::string> backupBytes = readFile(path + ".bak");
        EXPECT_EQ(backupBytes ? backupBytes.value() : "folder", c.backupIsFolder ? "folder" : c.saved ? "old" : "older");
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 2) << "temporary files are removed";
    }
}

