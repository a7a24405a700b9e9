#include "app/resumestate.h"

#include "../support/scopedenv.h"
#include "util/file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

#ifdef _WIN32
const char *const kStateVariable = "LOCALAPPDATA";
#else
const char *const kStateVariable = "XDG_STATE_HOME";
#endif

// A run with a list of three remembers its second track; the next start, with the list and the file as the case
// leaves them, finds it again (its index) or not (-1). A folder in the file's place makes it unreadable on Linux and
// under Wine alike.
TEST(ResumeState, FindsTheLastTrackAgainByItsGameAndCode)
{
    const Track alpha{0, "星海", "lkfm", "1", TrackCode::fromRaw(10000), "朝"};
    const Track beta{0, "星海", "lkfm", "1", TrackCode::fromRaw(15000), "夜"};
    const Track gamma{0, "Meadow", "lkpsg", "", TrackCode::fromRaw(15000), "Title"};
    Track otherSub = beta;
    otherSub.sub = "2";
    const struct
    {
        const char *name;
        std::vector<Track> after;
        const char *file; // nullptr: as written; "/": a folder in its place; else these bytes
        int found, toldLines;
    } cases[] = {
        {"the same list", {alpha, beta, gamma}, nullptr, 1, 0},
        {"a track put in front: at its new place", {gamma, alpha, beta}, nullptr, 2, 0},
        {"of equal tracks the one at the old place", {beta, beta, beta}, nullptr, 1, 0},
        {"its sub changed: none", {alpha, otherSub, gamma}, nullptr, -1, 0},
        {"no file yet: none, untold", {alpha, beta, gamma}, "", -1, 0},
        {"unreadable: none, told", {alpha, beta, gamma}, "/", -1, 1},
        {"not a state file: none, told", {alpha, beta, gamma}, "2\n星海\n", -1, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir;
        const ScopedEnv stateHome(kStateVariable, dir.path());
        TrackList list;
        list.tracks = {alpha, beta, gamma};
        std::ostringstream err;
        ResumeState(dir.file("tl.lst"), err).remember(list, 1);
        const fs::path file = pathFromUtf8(resumeStatePath(dir.file("tl.lst")).value());
        if (c.file && std::string(c.file) == "/")
            fs::remove(file), fs::create_directory(file);
        else if (c.file)
            *c.file ? void(std::ofstream(file) << c.file) : void(fs::remove(file));
        list.tracks = c.after;
        EXPECT_EQ(ResumeState(dir.file("tl.lst"), err).lastTrack(list).value_or(-1), c.found);
        EXPECT_EQ(std::ranges::count(err.str(), '\n'), c.toldLines) << err.str();
    }
}

// Where the file goes: one per list, in the user's state folder.
TEST(ResumeState, KeepsOneFilePerListInTheStateFolder)
{
    const TempDir dir;
    const std::string home = dir.file("home");
    const struct
    {
        std::optional<std::string> stateHome;
        std::string folder;
    } cases[] = {
#ifdef _WIN32
        {home, home + "/Tunelark"},
#else
        {home, home + "/tunelark"},
        {std::nullopt, home + "/.local/state/tunelark"},
        {"relative", home + "/.local/state/tunelark"},
#endif
    };
    const ScopedEnv homeFolder("HOME", home);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.folder);
        const ScopedEnv stateHome(kStateVariable, c.stateHome);
        TrackList list;
        list.tracks = {Track{0, "G", "m", "s", {}, "M"}};
        for (const char *listPath : {"a/tl.lst", "b/tl.lst", "b/../a/tl.lst"})
            ResumeState(dir.file(listPath)).remember(list, 0);
        std::error_code error;
        const auto files = std::distance(fs::directory_iterator(pathFromUtf8(c.folder), error), {});
        EXPECT_EQ(files, 2) << error.message();
        fs::remove_all(pathFromUtf8(home));
    }
}
