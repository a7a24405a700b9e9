#include "storage/resumestate.h"

#include "../support/listof.h"
#include "../support/scopedenv.h"
#include "util/file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

#ifdef _WIN32
const char *const kStateVariable = "LOCALAPPDATA", *const kStateFolder = "Tunelark";
#else
const char *const kStateVariable = "XDG_STATE_HOME", *const kStateFolder = "tunelark";
#endif

// A run with a list of three remembers its second track; the next start, with the list and the file as the case
// leaves them, finds it again (its index) or not (-1), telling of a file it cannot read. A folder in the file's place
// makes it unreadable on Linux and under Wine alike. "b/../a" names a's list as well.
TEST(ResumeState, FindsTheLastTrackAgainByItsGameAndCode)
{
    const Track a{0, "星海", "lkfm", "1", TrackCode::fromRaw(10000), "朝"}, b{0, "星海", "lkfm", "1", {}, "夜"};
    Track c = b;
    c.sub = "2";
    const struct
    {
        const char *name, *file; // file: nullptr as written, "/" a folder in its place, else these bytes
        std::vector<Track> after;
        int found, told;
    } cases[] = {
        {"the same list", nullptr, {a, b, c}, 1, 0},
        {"a track put in front: at its new place", nullptr, {c, a, b}, 2, 0},
        {"of equal tracks the one at the old place", nullptr, {b, b, b}, 1, 0},
        {"its sub changed: none", nullptr, {a, c, c}, -1, 0},
        {"no file yet: none, untold", "", {a, b, c}, -1, 0},
        {"unreadable: none, told", "/", {a, b, c}, -1, 1},
        {"not a state file: none, told", "2\n星海\n", {a, b, c}, -1, 1},
    };
    for (const auto &t : cases) {
        SCOPED_TRACE(t.name);
        const TempDir dir;
        const ScopedEnv stateHome(kStateVariable, dir.path());
        TrackList list = listOf({a, b, c});
        std::ostringstream err;
        ResumeState(dir.file("a/tl.lst"), err).remember(list, 1);
        const fs::path file = pathFromUtf8(resumeStatePath(dir.file("b/../a/tl.lst")).value());
        EXPECT_EQ(file.parent_path(), pathFromUtf8(dir.file(kStateFolder)));
        if (t.file && std::string(t.file) == "/")
            fs::remove(file), fs::create_directory(file);
        else if (t.file)
            *t.file ? void(std::ofstream(file) << t.file) : void(fs::remove(file));
        list = listOf(t.after);
        EXPECT_EQ(ResumeState(dir.file("a/tl.lst"), err).lastTrack(list).value_or(-1), t.found);
        EXPECT_EQ(std::ranges::count(err.str(), '\n'), t.told) << err.str();
    }
#ifndef _WIN32
    // A relative XDG_STATE_HOME is ignored, for ~/.local/state.
    const ScopedEnv home("HOME", "/home/u"), relative(kStateVariable, "state");
    EXPECT_EQ(resumeStatePath("/l/tl.lst").value().rfind("/home/u/.local/state/tunelark/", 0), 0u);
#endif
}
