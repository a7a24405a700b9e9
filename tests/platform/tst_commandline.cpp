#include "platform/commandline.h"

#include <gtest/gtest.h>

using Arguments = std::vector<std::string>;

// Joining then splitting any arguments gives them back: the fuzz target checks that.
TEST(CommandLine, SplitsByTheWindowsRulesAndJoinsPlainArgumentsUnchanged)
{
    const struct
    {
        const char *name;
        std::string line;
        Arguments expected;
    } cases[] = {
        {"selection line groups quoted values", R"(hootclient title="Foo Bar" major="abc" sub="1")",
         {"hootclient", "title=Foo Bar", "major=abc", "sub=1"}},
        {"blanks and tabs separate, runs count once, leading ones skipped", "  \ta  b\t\tc \t", {"a", "b", "c"}},
        {"empty quoted argument is kept", R"(p "" x)", {"p", "", "x"}},
        {"program name takes no backslash rules", R"(C:\dir\"x y" z)", {R"(C:\dir\x y)", "z"}},
        {"backslashes before other characters are literal", R"(p a\\b\c)", {"p", R"(a\\b\c)"}},
        {"2n backslashes before a quote give n and the quote groups", R"(p a\\\\"b c")", {"p", R"(a\\b c)"}},
        {"2n+1 backslashes before a quote give n and a literal quote", R"(p a\\\"b)", {"p", R"(a\"b)"}},
        {"doubled quote inside quotes is a literal quote", R"(p "a""b")", {"p", "a\"b"}},
        {"doubled quote outside quotes opens and closes", R"(p a""b)", {"p", "ab"}},
        {"unescaped quote inside a selection value", R"(hootclient sub="a"b")", {"hootclient", "sub=ab"}},
        {"unclosed quote runs to the end", R"(p "a  b)", {"p", "a  b"}},
        {"Japanese text passes unchanged", "hootclient title=\"ゲーム ミュージック\" major=東方",
         {"hootclient", "title=ゲーム ミュージック", "major=東方"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(splitWindowsCommandLine(c.line), c.expected) << c.name;
    EXPECT_EQ(joinWindowsCommandLine({"hootclient", "code", R"(a\b)"}), R"(hootclient code a\b)");
}
