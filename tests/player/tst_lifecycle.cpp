// Start-up and shut-down of the player on a fake window and a fake emulator.

#include "rig.h"

#include <gtest/gtest.h>

namespace {

const std::string kList = "; my list\r\n01:30,\"Alpha\",\"m\",\"s\",18,\"One\"\r\n,\"Beta\",\"m\",\"s\",0x1F,\"Two\"\r\n";
const std::string kSaved = "; my list\r\n00:07,\"Alpha\",\"m\",\"s\",18,\"One\"\r\n00:00,\"Beta\",\"m\",\"s\",31,\"Two\"\r\n";

std::string readFile(const std::string &path)
{
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

TEST(Lifecycle, UnreadLinesAreShownOnceTheFirst20ByNumber)
{
    Rig rig({"01:00"});
    std::ofstream list(rig.dir.file("tl.lst"), std::ios::app);
    for (int i = 0; i < 25; ++i)
        list << "broken line\r\n";
    list.close();
    rig.run("load");
    const std::string &calls = rig.view.calls;
    EXPECT_TRUE(rig.loaded);
    EXPECT_EQ(calls.find("message "), calls.rfind("message ")) << "one message";
    for (const char *piece : {"\n2 行目", "\n21 行目", "ほか 5 行"})
        EXPECT_NE(calls.find(piece), std::string::npos) << piece;
    EXPECT_EQ(calls.find("22 行目"), std::string::npos);
}

TEST(Lifecycle, EndAsksToSaveAChangedList)
{
    const std::string ask = "ask 演奏時間情報を記録しますか？; ";
    const std::string retry = "ask 演奏時間情報を記録できませんでした。tl.lst は元のままです。\n$/tl.lst.bak: Is a "
                              "directory\n\nもう一度記録しますか？（いいえを選ぶと記録せずに終了します）; ";
    const auto blockBackup = [](Rig &r) { std::filesystem::create_directory(r.dir.file("tl.lst.bak")); };
    struct Case
    {
        const char *name;
        std::string steps, answers, asks, after; // after: the list saved, or "" when left alone
        std::function<void(Rig &)> arrange = [](Rig &) {};
        std::filesystem::perms mode = std::filesystem::perms(0644);
    };
    const Case cases[] = {
        {"an unchanged list: no question", "load t7", "Y", "", "",
         [](Rig &r) { std::ofstream(r.dir.file("tl.lst")) << "01:30,\"A\",\"m\",\"s\",18,\"One\"\r\n"; }},
        {"No keeps the file", "load t7 s", "N", ask, ""},
        {"Yes saves, keeping comments, codes in decimal, the old list as backup", "load t7 s", "Y", ask, kSaved},
        {"a hexadecimal code alone asks", "load", "Y", ask,
         "; my list\r\n01:30,\"Alpha\",\"m\",\"s\",18,\"One\"\r\n00:00,\"Beta\",\"m\",\"s\",31,\"Two\"\r\n"},
        {"an edit by another program is named and kept as the backup", "load t7 s e", "Y",
         "ask tl.lst は読み込んだ後にほかのプログラムで変更されています。記録すると、いまの tl.lst は tl.lst.bak "
         "に残ります。\n\n演奏時間情報を記録しますか？; ",
         kSaved},
        {"a link stays a link; the list and its backup keep the list's mode", "load t7 s", "Y", ask, kSaved,
         [](Rig &r) {
             std::filesystem::rename(r.dir.file("tl.lst"), r.dir.file("real.lst"));
             std::filesystem::create_symlink("real.lst", r.dir.file("tl.lst"));
         },
         std::filesystem::perms(0640)},
        {"a failed save given up leaves the list", "load t7 s", "YN", ask + retry, "", blockBackup},
        {"a failed save tried again once the cause is gone", "load t7 s", "YF", ask + retry, kSaved, blockBackup},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig({"01:00"});
        const std::string list = rig.dir.file("tl.lst"), backup = rig.dir.file("tl.lst.bak");
        std::ofstream(list) << kList;
        std::filesystem::permissions(list, c.mode);
        c.arrange(rig);
        rig.view.answers = c.answers;
        rig.view.onAnswer = [&](char answer) {
            if (answer == 'F')
                std::filesystem::remove(backup);
        };
        const bool link = std::filesystem::is_symlink(list);
        rig.run(c.steps);
        const std::string before = readFile(list);
        rig.run("| c x");

        std::string asks = c.asks;
        for (auto at = asks.find('$'); at != std::string::npos; at = asks.find('$'))
            asks.replace(at, 1, rig.dir.path());
        EXPECT_EQ(rig.view.calls, "close; tick off; " + asks + "ended 1; ") << "the emulator is ended after the save";
        EXPECT_EQ(readFile(list), c.after.empty() ? before : c.after);
        EXPECT_EQ(std::filesystem::is_symlink(list), link);
        if (!c.after.empty()) {
            EXPECT_EQ(readFile(backup), before);
            EXPECT_EQ(std::filesystem::status(list).permissions(), c.mode);
            EXPECT_EQ(std::filesystem::status(backup).permissions(), c.mode);
        }
        EXPECT_EQ(rig.lifecycle.saveFailed(), c.answers == "YN");
    }
}

} // namespace
