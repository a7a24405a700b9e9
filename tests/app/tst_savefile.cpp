// Saving on the system's own calls, on Linux and under Wine alike.

#include "app/savefile.h"
#include "tempdir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

namespace fs = std::filesystem;

// Windows refuses to replace a file another program holds open.
#ifdef _WIN32
constexpr bool kOpenFilesCannotBeReplaced = true;
#else
constexpr bool kOpenFilesCannotBeReplaced = false;
#endif

static fs::path fromUtf8(const std::string &name)
{
    return std::u8string_view(reinterpret_cast<const char8_t *>(name.data()), name.size());
}

static std::string readFile(const fs::path &path)
{
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
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
        const std::string path = dir.path + "/" + c.list;
        const fs::path list = fromUtf8(path), backup = fromUtf8(path + ".bak");
        std::ofstream(list, std::ios::binary) << "old";
        if (c.backupIsFolder)
            fs::create_directory(backup);
        else
            std::ofstream(backup, std::ios::binary) << "older";
        // Left by a save that was killed half-way.
        std::ofstream(fromUtf8(path + ".tmp-Ab12Cd")) << "half";
        std::ofstream(fromUtf8(path + ".bak.tmp-Ab12Cd")) << "half";
        std::ifstream reader;
        if (c.listHeldOpen)
            reader.open(list);

        const Result<void> saved = saveFileAtomically(path, "new");
        reader.close();
        EXPECT_EQ(static_cast<bool>(saved), c.saved);
        if (!saved) {
            EXPECT_NE(saved.error().message.find(c.list), std::string::npos) << "the reason names the file";
        }
        EXPECT_EQ(readFile(list), c.saved ? "new" : "old");
        EXPECT_EQ(readFile(backup), c.backupIsFolder ? "" : c.saved ? "old" : "older");
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), {}), 2) << "temporary files are removed";
    }
}

