// 10,000 track changes through the real platform layer and the stand-ins (a
// fast client): memory and descriptors stay flat, every order reaches the
// client in order. One forgotten entry per order once came to some 700 kB.

#include "answeredwindow.h"
#include "app/playerstate.h"
#include "emulator/platform_posix.h"
#include "journal.h"
#include "player/lifecycle.h"
#include "player/player.h"
#include "xvfb.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

struct Dialogs : UserDialogs
{
    void showExclamation(const std::string &text) override { shown.push_back(text); }
    bool askYesNo(const std::string &) override { return false; }
    std::vector<std::string> shown;
};

// Resident kilobytes and open descriptors.
static std::pair<long, long> usage()
{
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    const auto fds = std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
    return {resident * sysconf(_SC_PAGESIZE) / 1024, fds};
}

TEST(LongRun, TenThousandTrackChangesKeepMemoryAndDescriptorsFlat)
{
    XvfbServer xvfb;
    ASSERT_EQ(xvfb.start(false), "");
    TempDir dir;
    ScopedEnv runtimeDir("XDG_RUNTIME_DIR", dir.path());
    ScopedEnv journal("HOOT_STANDIN_JOURNAL", dir.file("journal.jsonl"));
    std::ofstream(dir.file("tl.ini")) << "[config]\nDefaultPlayTime=180\nHootInitWaitTime=0\nDriverInitWaitTime=0\n";
    std::ofstream list(dir.file("tl.lst"), std::ios::binary);
    for (int code = 1; code <= 20; ++code)
        list << "01:00,\"長い夜\",\"m\",\"s\"," << code << ",\"曲 " << code << "\"\r\n";
    list.close();
    PlayerState state;
    PosixPlatform platform;
    Dialogs dialogs;
    AnsweredWindow window(state.list, dialogs);
    ProgramLifecycle lifecycle(state, platform, dialogs,
                               {[] { QCoreApplication::processEvents(); },
                                [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }},
                               dir.path());
    BusyCursor busy(window, [&platform] { return platform.now(); });
    Player player(window, state, lifecycle, busy);
    window.connectPlayer(player);
    ASSERT_TRUE(player.load());

    std::pair<long, long> warm;
    for (int change = 1; change <= 10000; ++change)
        if (player.next(), change == 500)
            warm = usage();
    const auto [memory, descriptors] = usage();
    EXPECT_LT(memory - warm.first, 256) << "kB more after 10,000 changes than after 500";
    EXPECT_EQ(descriptors, warm.second);
    EXPECT_TRUE(dialogs.shown.empty());
    window.close();
    const auto runs = readJournal(dir.file("journal.jsonl"));
    ASSERT_EQ(runs.size(), 3u + 10000) << "override, selection, first play, changes";
    for (int change = 1; change <= 10000; ++change)
        ASSERT_EQ(runs[2 + change], (std::vector<std::string>{"code", std::to_string(change % 20 + 1)})) << change;
}
