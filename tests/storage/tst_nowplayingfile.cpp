#include "storage/nowplayingfile.h"

#include "../support/journal.h"
#include "../support/listof.h"
#include "../support/scopedenv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace fs = std::filesystem;

// The file after each track change and after the close; a folder standing in
// its place makes it unwritable, on Linux and under Wine alike (a read-only
// file does not stop the root user the tests may run as).
TEST(NowPlayingFile, FollowsEveryChangeAndIsEmptiedAtTheClose)
{
    // The track shown (-1: the close), a folder in the file's place, what it holds ("-": no file), lines told so far.
    struct Step { int track; bool blocked; std::string holds; int toldLines; };
    const struct
    {
        const char *name;
        bool on; // the setting names overlay/now.txt
        std::vector<Step> steps;
    } cases[] = {
        {"no setting, no file", false, {{0, false, "-", 0}, {-1, false, "-", 0}}},
        {"unwritable: told once until a write succeeds, then once more", true,
         {{0, true, "-", 1}, {1, true, "-", 1}, {0, false, "星海 - Morning", 1}, {-1, true, "-", 2}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        PlayerState state;
        state.list = listOf({{0, "星海", "lkfm", "1", {}, "Morning"}, {0, "Meadow", "lkpsg", "2", {}, "Title"}});
        state.settings.iniPath = dir.file("tl.ini");
        state.settings.nowPlayingFile = c.on ? "overlay/now.txt" : "";
        const fs::path target = fs::path(dir.path()) / "overlay" / "now.txt";
        fs::create_directory(target.parent_path());
        std::ostringstream err;
        NowPlayingFile file(state, err);
        for (const Step &step : c.steps) {
            fs::remove(target);
            if (step.blocked)
                fs::create_directory(target);
            state.list.current = std::max(step.track, 0);
            step.track < 0 ? file.clear() : file.show();
            EXPECT_EQ(fs::is_regular_file(target) ? fileBytes(target.string()) : "-", step.holds);
            EXPECT_EQ(std::ranges::count(err.str(), '\n'), step.toldLines) << err.str();
            for (const fs::directory_entry &entry : fs::directory_iterator(target.parent_path()))
                EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
        }
    }
}
