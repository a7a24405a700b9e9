#include "tracklist/listfile.h"
#include "tracklist/textcodec.h"
#include "util/text.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using namespace std::string_literals;
using Problems = std::vector<std::tuple<int, ListProblem::Severity, std::string>>; // with the English detail
constexpr ListProblem::Severity kError = ListProblem::Severity::Error, kWarning = ListProblem::Severity::Warning;

// Code page 932 as a Windows editor saves it: "ソ" and "表" end in byte 5C, "①" is an NEC extension.
const std::string kSjisGame = "\x90\xAF\x8A\x43\x82\xCC\x8B\x4C\x89\xAF"; // 星海の記憶
const std::string kSjisSoft = "\x83\x5C\x83\x74\x83\x67\x95\x5C\x87\x40"; // ソフト表①

// The message over the window tells in Japanese what --check tells in English: the same value from the file (in
// 「」 there, in quotation marks here) and the same numbers, in no English words but the encoding's name.
void expectToldInJapanese(const Error &message, const std::string &encoding)
{
    const auto withoutValue = [](const std::string &told, const std::string &open, const std::string &close) {
        const std::size_t first = told.find(open), last = told.rfind(close);
        if (first == std::string::npos || last <= first)
            return std::pair{told, std::string()};
        return std::pair{told.substr(0, first) + told.substr(last + close.size()),
                         told.substr(first + open.size(), last - first - open.size())};
    };
    const auto [english, value] = withoutValue(message.detail, "\"", "\"");
    auto [japanese, japaneseValue] = withoutValue(message.text, "「", "」");
    EXPECT_EQ(japaneseValue, value) << message.text;
    const std::regex number("[0-9]+");
    for (std::sregex_iterator it(english.begin(), english.end(), number), end; it != end; ++it)
        EXPECT_NE(japanese.find(it->str()), std::string::npos) << message.text;
    if (const std::size_t name = japanese.find(encoding); name != std::string::npos)
        japanese.erase(name, encoding.size());
    EXPECT_FALSE(std::regex_search(japanese, std::regex("[A-Za-z]"))) << message.text;
}

// Read both ways: lines read straight from their bytes give what the long way gives.
std::pair<TrackList, Problems> read(std::string_view bytes)
{
    TrackList store, careful;
    store.modified = careful.modified = true; // reading starts by clearing it
    const std::vector<ListProblem> problems = readTrackList(bytes, store);
    EXPECT_TRUE(readTrackList(bytes, careful, LineReading::Careful) == problems && sameRecords(store, careful)
                && store.keptLines == careful.keptLines && store.ownSpellings == careful.ownSpellings
                && store.modified == careful.modified)
        << bytes;
    Problems told;
    for (const ListProblem &problem : problems) {
        expectToldInJapanese(problem.message, encodingName(store.encoding));
        told.emplace_back(problem.lineNumber, problem.severity, problem.message.detail);
    }
    return {std::move(store), told};
}

// UTF-16 with its byte-order mark, as Windows Notepad saves "Unicode".
std::string utf16File(std::string_view utf8, bool bigEndian)
{
    return (bigEndian ? "\xFE\xFF" : "\xFF\xFE") + utf8ToUtf16(utf8, bigEndian);
}

// Each line read between two good ones, and what a save writes in its place: a line read differently (warnings)
// is written as read, one that cannot be read (an error) is kept as it is.
TEST(ReadTrackList, DecodesTrackLinesAndKeepsMalformedOnes)
{
    const struct
    {
        std::string line;
        std::string saved; // "" for the line as it is
        std::vector<std::string> reasons = {};
    } cases[] = {
        {R"(  01:35 , " Ab " ,"m1",  "s2" , 18 ,"  Theme"  )", R"(01:35,"Ab","m1","s2",18,"Theme")"},
        {"01:35,\"a,b\",\"\t　m\",\"a\"\"b\",18,\"x\"", ""}, // quoted comma, doubled quotation mark, blanks kept
        {R"(01:35,Alpha,"m1","s2",18,"x")", R"(01:35,"lph","m1","s2",18,"x")",
         {R"(game title has no quotation marks: read as "lph")"}},
        {R"(01:35,星海の記憶,"m1","s2",18,"x")", R"(01:35,"海の記","m1","s2",18,"x")",
         {R"(game title has no quotation marks: read as "海の記")"}},
        {R"(01:35,"Ab","m1","s2",18,"Theme)", R"(01:35,"Ab","m1","s2",18,"Them")",
         {"a quotation mark is not closed", R"(music title has no quotation marks: read as "Them")"}},
        {R"(99:60,"Ab","m1","s2",18,"x")", R"(100:00,"Ab","m1","s2",18,"x")",
         {R"(play time "99:60" has seconds outside 0 to 59: read as 6000 seconds, saved as 100:00)"}},
        {R"(-1:05,"Ab","m1","s2",18,"x")", R"(00:-55,"Ab","m1","s2",18,"x")",
         {R"(play time "-1:05" is negative: read as -55 seconds, saved as 00:-55)"}},
        {R"(ab:cd,"Ab","m1","s2",18,"x")", R"(00:00,"Ab","m1","s2",18,"x")",
         {R"(play time "ab:cd" is not minutes and seconds; read as no stored time)"}},
        {R"(01:35,"Ab","m1","s2",1.23456,"x")", R"(01:35,"Ab","m1","s2",1.2346,"x")",
         {R"(code "1.23456" has more than four decimal places: read as 1.2346)"}},
        {R"(01:35,"Ab","m1","s2",0x1g,"x")", R"(01:35,"Ab","m1","s2",1,"x")",
         {R"(code "0x1g" holds characters that are not hexadecimal digits: read as 1)"}},
        {R"(01:35,"Alpha","m1","s2",18)", "", {"fewer than six fields"}},
        {R"(01:35,"Alpha","m1","s2",18 "x,y")", "", {"fewer than six fields"}}, // a quoted comma does not count
        {R"(01:35,"Alpha,"m1","s2",18,"Opening")", "", {"a quotation mark is not closed"}},
        {R"(01:35,A,"m1","s2",18,"Opening")", "", {"game title field is shorter than two characters"}},
        {R"(01:35,"Alpha",,"s2",18,"Opening")", "", {"major field is shorter than two characters"}},
        {R"(01:35,"Alpha","m1",海,18,"Opening")", "", {"sub field is shorter than two characters"}},
        {R"(01:35,"Alpha","m1","s2",18,   )", "", {"music title field is shorter than two characters"}},
        {R"(01:35,"Alpha","m1","s2",0X12,"Opening")", "", {R"(code is not a number: "0X12")"}},
        {R"(01:35,"Alpha","m1","s2",0xFFFFFFFFFFFFFFFF,"Opening")", "",
         {R"(hexadecimal code is too large: "0xFFFFFFFFFFFFFFFF")"}},
        {R"(01:35,"Alpha","m1","s2",922337203685478,"Opening")", "", {R"(code is out of range: "922337203685478")"}},
        {"01:35,\"" + kSjisGame + "\" x,\"m1\",\"s2\",18,\"Opening\"", "",
         {"quotation marks would not survive a save"}},
        {"01:35,\"Al\0pha\",\"m1\",\"s2\",18,\"x\""s, "", {"holds a NUL character"}},
    };
    for (const auto &c : cases) {
        const std::string good = "01:35,\"Alpha\",\"m1\",\"s2\",18,\"Opening\"\r\n";
        const auto [store, problems] = read(good + c.line + "\r\n" + good);
        Problems expected;
        for (const std::string &reason : c.reasons)
            expected.push_back({2, c.saved.empty() ? kError : kWarning, reason});
        EXPECT_EQ(problems, expected) << c.line;
        EXPECT_EQ(writeTrackList(store), good + (c.saved.empty() ? c.line : c.saved) + "\r\n" + good) << c.line;
        // A hexadecimal code read is written back in decimal, so the list counts as changed.
        EXPECT_EQ(store.modified, c.line.find(",0x") != std::string::npos && !c.saved.empty()) << c.line;
    }
}

// Whole files: the encoding found, the records and problems, and what a save writes.
TEST(ListFile, ReadsAndSavesWholeFiles)
{
    const std::string utf8 = "01:35,\"星海の記憶\",\"lkfm\",\"1\",18,\"はじまりの朝\"\r\nbroken line kept\r\n"
                             "00:00,\"ソフト表①\",\"～\",\"1\",1.25,\"x\"\r\n";
    const std::string sjis = "; list\r\n\r\n01:35,\"" + kSjisGame + "\",\"m1\",\"1\",18,\"x\"\r\nbroken line kept\r\n"
                             "00:00,\"" + kSjisSoft + "\",\"\x81\x60\",\"1\",1.25,\"\x1A\"\"\"\r\n"
                             "99:59,\"Alpha\",\"m1\",\"s2\",-7,\"Last\"\r\n  ; \x83\x81\x83\x82\r\n   \r\n";
    const std::string one = "01:00,\"Alpha\",\"m1\",\"s2\",1,\"One\"", two = "02:00,\"Alpha\",\"m1\",\"s2\",2,\"Two\"";
    std::string longList; // a broken line among many costs only itself
    for (int i = 0; i < 4000; ++i)
        longList += std::string(i == 2500 ? "\x90\r\n" : "") + "01:00,\"" + kSjisGame + "\",\"m1\",\""
            + std::to_string(i) + "\",1,\"x\"\r\n";
    const Problems fewer = {{2, kError, "fewer than six fields"}};
    using enum ListEncoding;
    const struct
    {
        const char *name;
        std::string bytes;
        ListEncoding encoding;
        int count;
        Problems problems;
        bool savedAsRead = true; // a save writes the same bytes
    } cases[] = {
        {"Shift-JIS with comments and blank lines", sjis, ShiftJis, 3, {{4, kError, "fewer than six fields"}}},
        {"UTF-8 with its mark, first and last lines kept", "\xEF\xBB\xBF; a\r\n" + utf8 + "b\r\n", Utf8WithBom, 2,
         {{3, kError, "fewer than six fields"}, {5, kError, "fewer than six fields"}}},
        {"UTF-8 with a stray byte in a comment", "; caf\xE9\r\n" + utf8 + utf8, Utf8, 4,
         {{3, kError, "fewer than six fields"}, {6, kError, "fewer than six fields"}}},
        {"UTF-16LE", utf16File("; メモ\r\n01:35,\"星海\",\"m1\",\"s2\",18,\"🎵\"\r\n\r\nlone \xED\xA0\x80 half\r\n", false),
         Utf16LE, 1, {{4, kError, "bytes are not valid UTF-16"}}},
        {"UTF-16BE", utf16File("01:35,\"星海\",\"m1\",\"s2\",18,\"🎵\"\r\nlone \xED\xB0\x80 half\r\n", true), Utf16BE, 1,
         {{2, kError, "bytes are not valid UTF-16"}}},
        {"CR and LF alone, none after the last line", one + "\rbroken\n" + two, Utf8, 2, fewer, false},
        {"file ending in a lead byte", one + "\r\n" + one + "\x82", ShiftJis, 1,
         {{2, kError, "bytes are not valid Shift-JIS"}}, false},
        {"long list", longList, ShiftJis, 4000, {{2501, kError, "bytes are not valid Shift-JIS"}}},
        {"katakana that is valid UTF-8", "01:00,\"\xC3\xA9\xC3\xA9\",\"m1\",\"s2\",1,\"\xC2\xA1x\",\x83\x5C\r\n",
         ShiftJis, 1, {{1, kWarning, "more than six fields: ignored \",ソ\""}}, false},
        {"UTF-8 that wins by a seventh field", one + ",星\r\n; \x83\x5C\r\n; 星\r\n", Utf8, 1,
         {{1, kWarning, "more than six fields: ignored \",星\""}}, false},
        {"read as UTF-16 by its first bytes", "\xFF\xFExy\r\n01:35,\"Alpha\",\"m1\",\"s2\",1,\"A\" \r\n", Utf16LE, 0,
         {{1, kError, "fewer than six fields"}}, false},
    };
    for (const auto &c : cases) {
        const auto [first, problems] = read(c.bytes);
        EXPECT_EQ(first.encoding, c.encoding) << c.name;
        EXPECT_EQ(first.count(), c.count) << c.name;
        EXPECT_EQ(problems, c.problems) << c.name;
        const std::string saved = writeTrackList(first);
        EXPECT_TRUE(!c.savedAsRead || saved == c.bytes) << c.name << ": saved as read";
        // Whatever was read, the save reads back as the same list in the same encoding and is then stable.
        const TrackList second = read(saved).first;
        EXPECT_EQ(second.encoding, first.encoding) << c.name;
        EXPECT_TRUE(sameRecords(second, first)) << c.name;
        EXPECT_FALSE(second.modified) << c.name;
        EXPECT_EQ(writeTrackList(second), saved) << c.name;
    }
}

// Lists without a byte-order mark whose lines read both ways, and what they are read as. A line's readings are
// weighed: Japanese that reads as a mix of kanji and half-width kana, or accented letters that read as half-width
// kana inside Latin words, is UTF-8; half-width kana that reads as lone Latin and Greek letters is Shift-JIS.
TEST(ListEncoding, ReadsTitlesInTheirEncoding)
{
    const auto line = [](std::string_view game, std::string_view music) {
        return "03:05,\"" + std::string(game) + "\",\"lkfm\",\"1\",1,\"" + std::string(music) + "\"\r\n";
    };
    const std::string utf8Japanese = line("蒼穹の翼", "ボス戦") + line("静かな森", "決戦");
    using enum ListEncoding;
    const struct
    {
        const char *name;
        std::string bytes;
        ListEncoding encoding;
        std::vector<std::string> gameTitles;
        Problems problems = {};
    } cases[] = {
        {"Shift-JIS half-width kana that is valid UTF-8", line("\xC4\xB3\xCE\xB3", "Opening"), ShiftJis, {"ﾄｳﾎｳ"}},
        {"the same kana beside UTF-8 accented letters", line("\xC4\xB3\xCE\xB3", "x") + line("Café", "x"), ShiftJis,
         {"ﾄｳﾎｳ", "Cafﾃｩ"}},
        {"UTF-8 Japanese that is valid Shift-JIS", utf8Japanese, Utf8, {"蒼穹の翼", "静かな森"}},
        {"UTF-8 accented Latin letters", line("Pokémon Über", "x") + line("Café", "Crème brûlée"), Utf8,
         {"Pokémon Über", "Café"}},
        {"UTF-8 accented letter ending a word", line("Café", "x"), Utf8, {"Café"}},
        {"UTF-8 long vowels", line("Ryūkyū", "x"), Utf8, {"Ryūkyū"}},
        {"UTF-8 Japanese with a stray Latin-1 byte", utf8Japanese + line("Pok\xE9mon", "x"), Utf8,
         {"蒼穹の翼", "静かな森"}, {{3, kError, "bytes are not valid UTF-8"}}},
        {"a tie is Shift-JIS", line("\xC2\xA1x", "x"), ShiftJis, {"ﾂ｡x"}},
    };
    for (const auto &c : cases) {
        const auto [store, problems] = read(c.bytes);
        EXPECT_EQ(store.encoding, c.encoding) << c.name;
        std::vector<std::string> gameTitles;
        for (std::int32_t index = 0; index < store.count(); ++index)
            gameTitles.emplace_back(store.track(index).gameTitle);
        EXPECT_EQ(gameTitles, c.gameTitles) << c.name;
        EXPECT_EQ(problems, c.problems) << c.name;
    }
}

// Code page 932 has several forms of a few hundred characters (NEC's and IBM's): a line the save would write
// as it is keeps the user's form, a changed one gets Windows' form.
TEST(ListFile, KeepsTheUsersFormOfUnchangedLines)
{
    const std::string nec = "01:35,\"\xED\x40\",\"m1\",\"s2\",18,\"\x87\x90\"\r\n"; // 纊 and ≒ in their other forms
    const std::string windows = "01:35,\"\xFA\x5C\",\"m1\",\"s2\",18,\"\x81\xE0\"\r\n";
    const std::string spaced = "01:35, \"\xED\x40\",\"m1\",\"s2\",18,\"\x87\x90\"\r\n";
    const struct
    {
        const char *name;
        std::string bytes;
        bool storeTime; // the first track's time is stored, as 時間記憶 does
        std::string saved;
    } cases[] = {
        {"unchanged line", nec + nec, false, nec + nec},
        {"changed line", nec + nec, true, "00:07" + windows.substr(5) + nec},
        {"line in another layout", spaced + nec, false, windows + nec},
    };
    for (const auto &c : cases) {
        TrackList store = read(c.bytes).first;
        if (c.storeTime)
            store.storePlayTime(7);
        EXPECT_EQ(writeTrackList(store), c.saved) << c.name;
    }
}

// Lines near the edge of the plain layout that nearly every line has: each file is read both ways (see read).
TEST(ReadTrackList, ReadsPlainAndOtherLinesAlike)
{
    const std::string lines[] = {
        "00:00,\"\",\"\",\"\",0,\"\"", "99:59,\"a\",\"b\",\"c\",00000000000018,\"d\"",
        "01:60,\"a\",\"b\",\"c\",1,\"d\"", "1:05,\"a\",\"b\",\"c\",1,\"d\"", "01:05,\"a\",\"b\",\"c\",999999999999999,\"d\"",
        "01:05,\"a\",\"b\",\"c\",+1,\"d\"", "01:05,\"a\",\"b\",\"c\",1.5,\"d\"", "01:05,\"a\"x,\"b\",\"c\",1,\"d\"",
        "01:05,\"a\"\",\"b\",\"c\",1,\"d\"\"", "01:05,\"a\"\"x\",\"c\",1,\"d\",\"e\"", "01:05,\"\t\x90\",\"b\",\"c\",1,\"\x82\"",
        "01:05,\"\x90\",\"b\",\"c\",1,\"\x82 \"", "01:05,\"\xB1\xED\x40\",\"b\",\"c\",1,\"\x87\x90\"", "01:05,\"a\",\"b\",\"c\",1,\"d\",",
        "\x82\xA0:05,\"a\",\"b\",\"c\",1,\"d\"", "01:05,\"a\",\"b\",\"c\",1\x82\xA0,\"d\"", "01:05,\"a\0\",\"b\",\"c\",1,\"d\""s,
    };
    for (const std::string &line : lines) {
        read(kSjisGame + "\r\n" + line + "\r\n\r" + line + "\n" + line);
        read("星\r\n" + line + "\r\n" + line);
    }
}

TEST(TextCodec, ConvertsShiftJis)
{
    const std::pair<std::string, std::string> cases[] = {
        {kSjisGame, "星海の記憶"}, {kSjisSoft, "ソフト表①"}, {"\x81\x60", "～"}, {"\x1A\x1C\x7F\xB1", "\x1A\x1C\x7Fｱ"},
    };
    for (const auto &[sjis, utf8] : cases) {
        EXPECT_EQ(decodeListText(sjis, ListEncoding::ShiftJis), utf8);
        EXPECT_EQ(encodeListText(utf8, ListEncoding::ShiftJis), sjis);
    }
}

} // unnamed
