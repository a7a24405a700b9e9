#include "emulator/commandline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Arguments = std::vector<std::string>;

struct SplitCase
{
    const char *name;
    std::string line;
    Arguments expected;
};

TEST(CommandLine, SplitsByTheWindowsRules)
{
    const SplitCase cases[] = {
        {"play order", "hootclient code 18", {"hootclient", "code", "18"}},
        {"selection line groups quoted values",
         R"(hootclient title="Foo Bar" major="abc" sub="1")",
         {"hootclient", "title=Foo Bar", "major=abc", "sub=1"}},
        {"blanks and tabs separate, runs of them count once", "a  b\t\tc \t", {"a", "b", "c"}},
        {"leading blanks are skipped", "  \tp x", {"p", "x"}},
        {"empty line gives nothing", "", {}},
        {"blank line gives nothing", " \t ", {}},
        {"empty quoted argument is kept", R"(p "" x)", {"p", "", "x"}},
        {"quoted program with a blank", R"("C:\Program Files\hoot.exe" a)", {R"(C:\Program Files\hoot.exe)", "a"}},
        {"program name takes no backslash rules", R"(C:\dir\"x y" z)", {R"(C:\dir\x y)", "z"}},
        {"backslashes before other characters are literal", R"(p a\\b\c)", {"p", R"(a\\b\c)"}},
        {"2n backslashes before a quote give n and the quote groups", R"(p a\\\\"b c")", {"p", R"(a\\b c)"}},
        {"2n+1 backslashes before a quote give n and a literal quote", R"(p a\\\"b)", {"p", R"(a\"b)"}},
        {"escaped quote alone", R"(p \")", {"p", "\""}},
        {"trailing backslash inside quotes must be doubled", R"(p "a\\" b)", {"p", R"(a\)", "b"}},
        {"doubled quote inside quotes is a literal quote", R"(p "a""b")", {"p", "a\"b"}},
        {"doubled quote outside quotes opens and closes", R"(p a""b)", {"p", "ab"}},
        {"tripled quotes around a word", R"(p """a""")", {"p", "\"a\""}},
        {"unescaped quote inside a selection value", R"(hootclient sub="a"b")", {"hootclient", "sub=ab"}},
        {"quotes join with their neighbours", R"(p a"b c"d)", {"p", "ab cd"}},
        {"unclosed quote runs to the end", R"(p "a  b)", {"p", "a  b"}},
        {"Japanese text passes unchanged",
         "hootclient title=\"ゲーム ミュージック\" major=東方 sub=\"\"",
         {"hootclient", "title=ゲーム ミュージック", "major=東方", "sub="}},
    };
    for (const SplitCase &c : cases)
        EXPECT_EQ(splitWindowsCommandLine(c.line), c.expected) << c.name;
}

TEST(CommandLine, JoinLeavesPlainArgumentsAlone)
{
    EXPECT_EQ(joinWindowsCommandLine({"hootclient", "code", "18"}), "hootclient code 18");
    EXPECT_EQ(joinWindowsCommandLine({"hootclient", R"(a\b)"}), R"(hootclient a\b)");
}

struct RoundTripCase
{
    const char *name;
    Arguments arguments;
};

TEST(CommandLine, JoinThenSplitGivesTheArgumentsBack)
{
    const RoundTripCase cases[] = {
        {"selection with blank, Japanese and quote", {"hootclient", "title=Foo Bar", "major=ゲーム", "sub=a\"b"}},
        {"empty arguments", {"p", "", ""}},
        {"trailing backslash", {"p", "a\\"}},
        {"trailing backslash after a blank", {"p", "a b\\"}},
        {"backslashes before quotes", {"p", "\\\"", "\\\\\"x", "x\\\\\\"}},
        {"only quotes", {"p", "\"", "\"\""}},
        {"tab inside an argument", {"p", "x\ty"}},
        {"program with blanks", {"C:\\Program Files\\hoot.exe", "override"}},
    };
    for (const RoundTripCase &c : cases)
        EXPECT_EQ(splitWindowsCommandLine(joinWindowsCommandLine(c.arguments)), c.arguments) << c.name;
}
