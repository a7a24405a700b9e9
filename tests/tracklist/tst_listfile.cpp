#include "tracklist/listfile.h"
#include "tracklist/textcodec.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Severity = ListProblem::Severity;

// Japanese texts as a Windows editor saves them (code page 932) and as the
// records hold them (UTF-8). "ソ" and "表" end in byte 5C, "①" is an NEC
// extension.
const std::string kSjisGame = "\x90\xAF\x8A\x43\x82\xCC\x8B\x4C\x89\xAF"; // 星海の記憶
const std::string kSjisMusic = "\x82\xCD\x82\xB6\x82\xDC\x82\xE8\x82\xCC\x92\xA9"; // はじまりの朝
const std::string kSjisSoft = "\x83\x5C\x83\x74\x83\x67\x95\x5C\x87\x40"; // ソフト表①

struct ReadResult
{
    TrackList store;
    std::vector<ListProblem> problems;
};

ReadResult read(const std::string &bytes)
{
    ReadResult result;
    result.problems = readTrackList(bytes, result.store);
    return result;
}

// UTF-16 with its byte-order mark, as Windows Notepad saves "Unicode".
std::string utf16File(std::u16string_view text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

Track track(std::int32_t playTime, std::string game, std::string major, std::string sub, std::int64_t code,
                std::string music)
{
    return {playTime, std::move(game), std::move(major), std::move(sub), *TrackCode::fromWhole(code), std::move(music)};
}

TEST(ReadTrackList, DecodesTrackLines)
{
    const Track base = track(95, "Alpha", "m1", "s2", 18, "Opening Theme");
    const auto with = [&base](auto change) {
        Track record = base;
        change(record);
        return record;
    };
    const struct
    {
        const char *name;
        std::string line;
        Track record;
        std::vector<std::string> warnings = {}; // what the reader took differently
    } cases[] = {
        {"writer's layout", R"(01:35,"Alpha","m1","s2",18,"Opening Theme")", base},
        {"spaces around fields and inside quotes", R"(  01:35 , " Alpha " ,"m1",  "s2" , 18 ,"  Opening Theme"  )", base},
        {"quoted comma", R"(01:35,"a,b","m1","s2",18,"Opening Theme")", with([](Track &r) { r.gameTitle = "a,b"; })},
        {"doubled quotation marks kept", R"(01:35,"a""b","m1","s2",18,"Opening Theme")",
         with([](Track &r) { r.gameTitle = R"(a""b)"; })},
        {"seventh field ignored", R"(01:35,"Alpha","m1","s2",18,"Opening Theme","extra",x)", base,
         {R"(more than six fields: ignored ","extra",x")"}},
        {"unquoted title loses its first and last letter", R"(01:35,Alpha,"m1","s2",18,"Opening Theme")",
         with([](Track &r) { r.gameTitle = "lph"; }), {R"(game title has no quotation marks: read as "lph")"}},
        {"quotation mark not closed in the last field", R"(01:35,"Alpha","m1","s2",18,"Opening Theme)",
         with([](Track &r) { r.musicTitle = "Opening Them"; }),
         {"a quotation mark is not closed", R"(music title has no quotation marks: read as "Opening Them")"}},
        {"empty quoted field", R"(01:35,"Alpha","","s2",18,"Opening Theme")", with([](Track &r) { r.major.clear(); })},
        {"tab kept inside the text", "01:35,\"\tAlpha\",\"m1\",\"s2\",18,\"Opening Theme\"",
         with([](Track &r) { r.gameTitle = "\tAlpha"; })},
        {"full-width space kept", R"(01:35,"　Alpha","m1","s2",18,"Opening Theme")",
         with([](Track &r) { r.gameTitle = "　Alpha"; })},
        {"unquoted Japanese title loses whole characters", R"(01:35,星海の記憶,"m1","s2",18,"Opening Theme")",
         with([](Track &r) { r.gameTitle = "海の記"; }), {R"(game title has no quotation marks: read as "海の記")"}},
        {"four-character play time", R"(3:05,"Alpha","m1","s2",18,"Opening Theme")", with([](Track &r) { r.playTime = 0; })},
        {"empty play time", R"(,"Alpha","m1","s2",18,"Opening Theme")", with([](Track &r) { r.playTime = 0; })},
        {"seconds above 59", R"(99:60,"Alpha","m1","s2",18,"Opening Theme")", with([](Track &r) { r.playTime = 6000; }),
         {R"(play time "99:60" has seconds outside 0 to 59: read as 6000 seconds, saved as 100:00)"}},
        {"negative play time", R"(-1:05,"Alpha","m1","s2",18,"Opening Theme")", with([](Track &r) { r.playTime = -55; }),
         {R"(play time "-1:05" is negative: read as -55 seconds, saved as 00:-55)"}},
        {"play time that is no number", R"(ab:cd,"Alpha","m1","s2",18,"Opening Theme")", with([](Track &r) { r.playTime = 0; }),
         {R"(play time "ab:cd" is not minutes and seconds; read as no stored time)"}},
        {"three parts", R"(1:2:3,"Alpha","m1","s2",18,"Opening Theme")", with([](Track &r) { r.playTime = 62; })},
        {"decimal code with a fraction", R"(01:35,"Alpha","m1","s2",1.5,"Opening Theme")",
         with([](Track &r) { r.code = TrackCode::fromRaw(15000); })},
        {"decimal code rounded to four places", R"(01:35,"Alpha","m1","s2",1.23456,"Opening Theme")",
         with([](Track &r) { r.code = TrackCode::fromRaw(12346); }),
         {R"(code "1.23456" has more than four decimal places: read as 1.2346)"}},
        {"hexadecimal code", R"(01:35,"Alpha","m1","s2",0x12,"Opening Theme")", base},
        {"hexadecimal code with a stray letter", R"(01:35,"Alpha","m1","s2",0x1g,"Opening Theme")",
         with([](Track &r) { r.code = *TrackCode::fromWhole(1); }),
         {R"(code "0x1g" holds characters that are not hexadecimal digits: read as 1)"}},
    };
    for (const auto &c : cases) {
        const ReadResult result = read(c.line + "\r\n");
        std::vector<ListProblem> warnings;
        for (const std::string &reason : c.warnings)
            warnings.push_back({1, Severity::Warning, reason});
        EXPECT_EQ(result.problems, warnings) << c.name;
        EXPECT_EQ(result.store.tracks, std::vector<Track>{c.record}) << c.name;
        EXPECT_EQ(result.store.count(), 1) << c.name;
    }
}

TEST(ReadTrackList, HexadecimalCodeMarksTheListChanged)
{
    const struct
    {
        const char *name;
        const char *code;
        bool changed;
    } cases[] = {
        {"decimal code leaves the list unchanged", "18", false},
        {"hexadecimal code marks the list changed", "0x12", true},
    };
    for (const auto &c : cases) {
        TrackList store;
        store.modified = true; // reading starts by clearing it
        readTrackList(std::string("01:35,\"Alpha\",\"m1\",\"s2\",") + c.code + ",\"Opening\"\r\n", store);
        EXPECT_EQ(store.modified, c.changed) << c.name;
    }
}

TEST(ReadTrackList, KeepsCommentsAndBlankLinesInPlace)
{
    const ReadResult result = read("; games of 1994\r\n"
                                   "   ; indented comment\r\n"
                                   "\r\n"
                                   "     \r\n"
                                   "01:35,\"Alpha\",\"m1\",\"s2\",18,\"Opening\"\r\n"
                                   ";01:35,\"Alpha\",\"m1\",\"s2\",19,\"commented out\"\r\n"
                                   "\r\n");
    EXPECT_EQ(result.problems, std::vector<ListProblem>());
    EXPECT_EQ(result.store.count(), 1);
    EXPECT_EQ(result.store.keptLines, (std::vector<KeptLine>{{0, "; games of 1994"},
                                                             {0, "   ; indented comment"},
                                                             {0, ""},
                                                             {0, "     "},
                                                             {1, R"(;01:35,"Alpha","m1","s2",19,"commented out")"},
                                                             {1, ""}}));
}

TEST(ReadTrackList, ListWithoutTracksLeavesTheStoreEmpty)
{
    for (const std::string bytes : {"", "; only a comment\r\n", "\r\n\r\n"}) {
        const ReadResult result = read(bytes);
        EXPECT_EQ(result.store.count(), 0);
        EXPECT_TRUE(result.store.tracks.empty());
        EXPECT_TRUE(result.problems.empty());
    }
}

TEST(ReadTrackList, ReportsAndKeepsMalformedLines)
{
    const struct
    {
        const char *name;
        std::string line;
        std::string reason;
    } cases[] = {
        {"five fields", R"(01:35,"Alpha","m1","s2",18)", "fewer than six fields"},
        {"comma inside quotes does not count", R"(01:35,"Alpha","m1","s2",18 "x,y")", "fewer than six fields"},
        {"open quotation mark takes the commas", R"(01:35,"Alpha,"m1","s2",18,"Opening")", "a quotation mark is not closed"},
        {"one-letter title", R"(01:35,A,"m1","s2",18,"Opening")", "game title field is shorter than two characters"},
        {"empty major", R"(01:35,"Alpha",,"s2",18,"Opening")", "major field is shorter than two characters"},
        {"one Japanese character as sub", R"(01:35,"Alpha","m1",海,18,"Opening")", "sub field is shorter than two characters"},
        {"spaces only as music title", R"(01:35,"Alpha","m1","s2",18,   )", "music title field is shorter than two characters"},
        {"code with a letter", R"(01:35,"Alpha","m1","s2",1x,"Opening")", R"(code is not a number: "1x")"},
        {"capital X is not hexadecimal", R"(01:35,"Alpha","m1","s2",0X12,"Opening")", R"(code is not a number: "0X12")"},
        {"empty code", R"(01:35,"Alpha","m1","s2",,"Opening")", R"(code is not a number: "")"},
        {"hexadecimal code above the range", R"(01:35,"Alpha","m1","s2",0xFFFFFFFFFFFFFFFF,"Opening")",
         R"(hexadecimal code is too large: "0xFFFFFFFFFFFFFFFF")"},
        {"decimal code above the range", R"(01:35,"Alpha","m1","s2",922337203685478,"Opening")",
         R"(code is out of range: "922337203685478")"},
        {"quotation mark that moves on a save", R"(01:35,"Alpha" x,"m1","s2",18,"Opening")",
         "quotation marks would not survive a save"},
    };
    for (const auto &c : cases) {
        const std::string good = "01:35,\"Alpha\",\"m1\",\"s2\",18,\"Opening\"";
        const ReadResult result = read(good + "\r\n" + c.line + "\r\n" + good + "\r\n");
        EXPECT_EQ(result.problems, (std::vector<ListProblem>{{2, Severity::Error, c.reason}})) << c.name;
        EXPECT_EQ(result.store.keptLines, (std::vector<KeptLine>{{1, c.line}})) << c.name;
        EXPECT_EQ(result.store.count(), 2) << c.name;
    }
}

TEST(ReadTrackList, AcceptsEveryLineEnd)
{
    const std::string one = "01:00,\"Alpha\",\"m1\",\"s2\",1,\"One\"";
    const std::string two = "02:00,\"Alpha\",\"m1\",\"s2\",2,\"Two\"";
    const std::string bad = "broken";
    const struct
    {
        const char *name;
        std::string bytes;
    } cases[] = {
        {"CR LF", one + "\r\n" + bad + "\r\n" + two + "\r\n"},
        {"CR alone", one + "\r" + bad + "\r" + two + "\r"},
        {"LF alone", one + "\n" + bad + "\n" + two + "\n"},
        {"mixed", one + "\r\n" + bad + "\n" + two + "\r"},
        {"no line end after the last line", one + "\r\n" + bad + "\r\n" + two},
    };
    for (const auto &c : cases) {
        const ReadResult result = read(c.bytes);
        ASSERT_EQ(result.store.count(), 2) << c.name;
        EXPECT_EQ(result.store.tracks[0].musicTitle, "One") << c.name;
        EXPECT_EQ(result.store.tracks[1].musicTitle, "Two") << c.name;
        // The line number shows that no empty line was seen between CR and LF.
        EXPECT_EQ(result.problems, (std::vector<ListProblem>{{2, Severity::Error, "fewer than six fields"}})) << c.name;
    }
}

TEST(ReadTrackList, DetectsTheEncoding)
{
    const std::string utf8Line = "03:05,\"星海の記憶\",\"lkfm\",\"1\",18,\"はじまりの朝\"\r\n";
    const std::string sjisLine = "03:05,\"" + kSjisGame + "\",\"lkfm\",\"1\",18,\"" + kSjisMusic + "\"\r\n";
    const struct
    {
        const char *name;
        std::string bytes;
        ListEncoding encoding;
    } cases[] = {
        {"Shift-JIS", sjisLine, ListEncoding::ShiftJis},
        {"UTF-8", utf8Line, ListEncoding::Utf8},
        {"UTF-8 with byte-order mark", "\xEF\xBB\xBF" + utf8Line, ListEncoding::Utf8WithBom},
        {"byte-order mark before a comment", "\xEF\xBB\xBF; list\r\n" + utf8Line, ListEncoding::Utf8WithBom},
        {"UTF-8 with a stray byte in a comment", "; caf\xE9\r\n" + utf8Line + utf8Line, ListEncoding::Utf8},
        {"UTF-16LE", utf16File(u"03:05,\"星海の記憶\",\"lkfm\",\"1\",18,\"はじまりの朝\"\r\n", false), ListEncoding::Utf16LE},
        {"UTF-16BE", utf16File(u"03:05,\"星海の記憶\",\"lkfm\",\"1\",18,\"はじまりの朝\"", true), ListEncoding::Utf16BE},
    };
    for (const auto &c : cases) {
        const ReadResult result = read(c.bytes);
        EXPECT_EQ(result.store.encoding, c.encoding) << c.name;
        EXPECT_TRUE(result.problems.empty()) << c.name;
        ASSERT_GE(result.store.count(), 1) << c.name;
        EXPECT_EQ(result.store.tracks[0], track(185, "星海の記憶", "lkfm", "1", 18, "はじまりの朝")) << c.name;
    }
}

TEST(ReadTrackList, KeepsALineWithBrokenShiftJis)
{
    // A lead byte followed by a line end cannot be decoded; the other lines can.
    const std::string broken = "01:00,\"\x90\",\"m1\",\"s2\",1,\"x\x82\"";
    const ReadResult result = read("01:00,\"" + kSjisSoft + "\",\"m1\",\"s2\",1,\"One\"\r\n" + broken + "\r\n");
    EXPECT_EQ(result.store.encoding, ListEncoding::ShiftJis);
    EXPECT_EQ(result.problems, (std::vector<ListProblem>{{2, Severity::Error, "bytes are not valid Shift-JIS"}}));
    EXPECT_EQ(result.store.keptLines, (std::vector<KeptLine>{{1, broken}}));
    ASSERT_EQ(result.store.count(), 1);
    EXPECT_EQ(result.store.tracks[0].gameTitle, "ソフト表①");
}

TEST(ReadTrackList, KeepsALastLineEndingInALeadByte)
{
    // The file ends in the first byte of a two-byte character: that byte must
    // not vanish silently, or a save would lose it.
    const std::string broken = "01:00,\"" + kSjisSoft + "\",\"m1\",\"s2\",1,\"One\"\x82";
    const ReadResult result = read("01:00,\"" + kSjisSoft + "\",\"m1\",\"s2\",1,\"One\"\r\n" + broken);
    EXPECT_EQ(result.problems, (std::vector<ListProblem>{{2, Severity::Error, "bytes are not valid Shift-JIS"}}));
    EXPECT_EQ(result.store.keptLines, (std::vector<KeptLine>{{1, broken}}));
}

TEST(ReadTrackList, LongListIsReadAndWrittenAcrossCodecRuns)
{
    // Some 200 KB: the codec works on blocks of lines, and a broken line
    // in the middle must cost only that line.
    std::string file;
    for (int i = 0; i < 4000; ++i) {
        if (i == 2500)
            file += "01:00,\"\x90\",\"m1\",\"s2\",1,\"broken\"\r\n";
        file += "01:00,\"" + kSjisGame + "\",\"lkfm\",\"" + std::to_string(i) + "\"," + std::to_string(i) + ",\""
            + kSjisMusic + "\"\r\n";
    }
    const ReadResult result = read(file);
    ASSERT_EQ(result.store.count(), 4000);
    EXPECT_EQ(result.problems, (std::vector<ListProblem>{{2501, Severity::Error, "bytes are not valid Shift-JIS"}}));
    for (int i = 0; i < 4000; i += 1999) {
        EXPECT_EQ(result.store.tracks[i].sub, std::to_string(i));
        EXPECT_EQ(result.store.tracks[i].musicTitle, "はじまりの朝");
    }
    EXPECT_EQ(writeTrackList(result.store), file);
}

TEST(TextCodec, ControlCodesMapToThemselvesInShiftJis)
{
    // Bytes 1A, 1C and 7F next to Japanese text, where the codec is used.
    const std::string sjis = "\x1A\x1C\x7F" + kSjisGame;
    EXPECT_EQ(decodeListText(sjis, ListEncoding::ShiftJis), "\x1A\x1C\x7F" "星海の記憶");
    EXPECT_EQ(encodeListText("\x1A\x1C\x7F" "星海の記憶", ListEncoding::ShiftJis), sjis);
}

TEST(FormatTrackLine, UsesTheWritersLayout)
{
    const struct
    {
        const char *name;
        Track record;
        const char *line;
    } cases[] = {
        {"example", track(95, "Alpha", "m1", "s2", 18, "Opening Theme"), R"(01:35,"Alpha","m1","s2",18,"Opening Theme")"},
        {"no stored time", track(0, "Alpha", "", "s2", 0, "x"), R"(00:00,"Alpha","","s2",0,"x")"},
        {"three-digit minutes", track(6000, "Alpha", "m1", "s2", -3, "x"), R"(100:00,"Alpha","m1","s2",-3,"x")"},
        {"fraction code", {5, "Alpha", "m1", "s2", TrackCode::fromRaw(15000), "x"}, R"(00:05,"Alpha","m1","s2",1.5,"x")"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(formatTrackLine(c.record), c.line) << c.name;
}

TEST(WriteTrackList, WritesRecordsAndKeptLinesInPlace)
{
    TrackList store;
    store.encoding = ListEncoding::ShiftJis;
    store.addRecord(track(95, "星海の記憶", "lkfm", "1", 18, "はじまりの朝"));
    store.addRecord(track(0, "Alpha", "m1", "s2", 31, "Second"));
    store.keptLines = {{0, "first kept"}, {1, "middle \x90"}, {2, "last kept"}};
    EXPECT_EQ(writeTrackList(store), "first kept\r\n"
                                     "01:35,\"" + kSjisGame + "\",\"lkfm\",\"1\",18,\"" + kSjisMusic + "\"\r\n"
                                     "middle \x90\r\n"
                                     "00:00,\"Alpha\",\"m1\",\"s2\",31,\"Second\"\r\n"
                                     "last kept\r\n");
}

TEST(WriteTrackList, CharacterWithoutShiftJisFormBecomesQuestionMark)
{
    TrackList store;
    store.addRecord(track(1, "星海\xF0\x9F\x8E\xB5", "m1", "s2", 1, "x"));
    EXPECT_EQ(writeTrackList(store), "00:01,\"\x90\xAF\x8A\x43?\",\"m1\",\"s2\",1,\"x\"\r\n");
}

TEST(WriteTrackList, ListInTheWritersLayoutComesBackByteForByte)
{
    const std::string sjisBody = "01:35,\"" + kSjisGame + "\",\"lkfm\",\"1\",18,\"" + kSjisMusic + "\"\r\n"
                                 "broken line kept\r\n"
                                 "00:00,\"" + kSjisSoft + "\",\"\x81\x60\",\"1\",1.25,\"\x1A\"\"\"\r\n"
                                 "99:59,\"Alpha\",\"m1\",\"s2\",-7,\"Last\"\r\n";
    const std::string utf8Body = "01:35,\"星海の記憶\",\"lkfm\",\"1\",18,\"はじまりの朝\"\r\n"
                                 "broken line kept\r\n"
                                 "00:00,\"ソフト表①\",\"～\",\"1\",1.25,\"x\"\r\n";
    const struct
    {
        const char *name;
        std::string bytes;
    } cases[] = {
        {"Shift-JIS", sjisBody},
        {"UTF-8", utf8Body},
        {"UTF-8 with byte-order mark", "\xEF\xBB\xBF" + utf8Body},
        {"kept line first and last", "kept first\r\n" + utf8Body + "kept last\r\n"},
        {"comments and blank lines", "; my list\r\n\r\n" + sjisBody + "  ; \x83\x81\x83\x82\r\n   \r\n"},
        {"UTF-16LE", utf16File(u"; メモ\r\n01:35,\"星海\",\"m1\",\"s2\",18,\"🎵\"\r\n\r\nlone \xD800 half\r\n", false)},
        {"UTF-16BE", utf16File(u"01:35,\"星海\",\"m1\",\"s2\",18,\"🎵\"\r\nlone \xDC00 half\r\n", true)},
    };
    for (const auto &c : cases) {
        const ReadResult result = read(c.bytes);
        EXPECT_EQ(writeTrackList(result.store), c.bytes) << c.name;
    }
}

TEST(WriteTrackList, SaveThenReadGivesTheSameRecords)
{
    const std::string handWritten = "; hand-written\r\n"
                                    "  03:05 , \"" + kSjisGame + "\",\"lkfm\", \"1\" ,0x1F,\"" + kSjisMusic + "\",extra\n"
                                    "3:05,Alpha,\"m1\",\"s2\",1.50,\"a,b\"\r"
                                    "100:00,\"say \"\"hi\"\"\",\"m1\",\"s2\",-2,\"\"\r\n"
                                    "ab:cd,\"" + kSjisSoft + "\",\"m1\",\"s2\",0x0,\"x\"";
    const ReadResult first = read(handWritten);
    ASSERT_EQ(first.store.count(), 4);
    EXPECT_EQ(first.store.modified, true);
    EXPECT_EQ(first.store.tracks[0].code, *TrackCode::fromWhole(31));

    const std::string saved = writeTrackList(first.store);
    const ReadResult second = read(saved);
    EXPECT_TRUE(second.problems.empty());
    EXPECT_EQ(second.store.encoding, ListEncoding::ShiftJis);
    EXPECT_EQ(second.store.tracks, first.store.tracks);
    EXPECT_EQ(second.store.modified, false); // codes are written in decimal
    EXPECT_EQ(writeTrackList(second.store), saved);
}

TEST(WriteTrackList, SavedListReadsBackInTheSameEncoding)
{
    // A seventh field that decided the encoding is not written back, and a
    // kept line can begin with a byte-order mark's bytes; the saved file must
    // still read as the same list.
    const struct
    {
        const char *name;
        std::string bytes;
    } cases[] = {
        {"Shift-JIS katakana that is also valid UTF-8",
         "01:00,\"\xC3\xA9\xC3\xA9\",\"m1\",\"s2\",1,\"\xC2\xA1x\",\x83\x5C\r\n"},
        {"UTF-8 that wins by a seventh field", "01:00,\"Alpha\",\"m1\",\"s2\",1,\"x\",星\r\n; \x83\x5C\r\n; 星\r\n"},
        {"first line beginning with a UTF-16 mark, odd length until saved",
         "\xFF\xFExy\r\n01:35,\"Alpha\",\"m1\",\"s2\",1,\"A\" \r\n"},
    };
    for (const auto &c : cases) {
        const ReadResult first = read(c.bytes);
        const ReadResult second = read(writeTrackList(first.store));
        EXPECT_EQ(second.store.encoding, first.store.encoding) << c.name;
        EXPECT_EQ(second.store.tracks, first.store.tracks) << c.name;
        EXPECT_EQ(writeTrackList(second.store), writeTrackList(first.store)) << c.name;
    }
}

TEST(WriteTrackList, QuoteTrapLineIsWrittenBackUnchanged)
{
    const std::string trap = "01:35,\"" + kSjisGame + "\" x,\"m1\",\"s2\",18,\"Opening\"";
    const std::string file = trap + "\r\n" + "01:00,\"Alpha\",\"m1\",\"s2\",1,\"One\"\r\n";
    const ReadResult result = read(file);
    EXPECT_EQ(result.problems, (std::vector<ListProblem>{{1, Severity::Error, "quotation marks would not survive a save"}}));
    EXPECT_EQ(writeTrackList(result.store), file);
}

TEST(DemoList, LoadsWithoutProblems)
{
    std::ifstream file(TUNELARK_DEMO_DIR "/tl.lst", std::ios::binary);
    ASSERT_TRUE(file.is_open());
    const ReadResult result = read(std::string(std::istreambuf_iterator<char>(file), {}));
    EXPECT_EQ(result.store.encoding, ListEncoding::ShiftJis);
    EXPECT_TRUE(result.problems.empty());
    EXPECT_EQ(result.store.count(), 20);
    EXPECT_EQ(result.store.modified, true); // it has hexadecimal codes
    EXPECT_EQ(result.store.tracks[3].musicTitle, "ボス戦 ～嵐の前～");
}

} // unnamed
