// Any bytes as a list file: the reader must neither crash nor hang, every
// problem must name a line of the file, comments, blank lines and lines with
// an error must be kept, and a save read back must give the same records and
// kept lines.
#include "fuzzcheck.h"
#include "tracklist/listfile.h"
#include "tracklist/textcodec.h"
#include "util/text.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// Lines as the reader counts them: CR LF, CR or LF end a line, and a last
// line without a line end counts too.
std::vector<std::string> splitLines(const std::string &bytes)
{
    std::vector<std::string> lines;
    std::string line;
    bool open = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' || bytes[i] == '\n') {
            lines.push_back(line);
            line.clear();
            open = false;
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else {
            line += bytes[i];
            open = true;
        }
    }
    if (open)
        lines.push_back(line);
    return lines;
}

bool isNoteLine(const std::string &line)
{
    const std::size_t first = line.find_first_not_of(' ');
    return first == std::string::npos || line[first] == ';';
}

void checkProblems(const std::string &bytes, const std::vector<ListProblem> &problems, const TrackList &store)
{
    std::string fromUtf16;
    const std::string text(textAfterMark(bytes, fromUtf16));
    const std::vector<std::string> lines = splitLines(text);
    const int lineCount = static_cast<int>(lines.size());
    int previousLine = 0;
    std::vector<bool> kept(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        kept[i] = isNoteLine(lines[i]);
    for (const ListProblem &problem : problems) {
        fuzzCheck(problem.lineNumber >= 1 && problem.lineNumber <= lineCount, "problem outside the file's lines", [&] {
            return std::to_string(problem.lineNumber) + " of " + std::to_string(lineCount) + ": " + problem.reason;
        });
        fuzzCheck(problem.lineNumber >= previousLine, "problems out of line order");
        fuzzCheck(!problem.reason.empty(), "problem without a reason");
        previousLine = problem.lineNumber;
        if (problem.severity == ListProblem::Severity::Error)
            kept[static_cast<std::size_t>(problem.lineNumber - 1)] = true;
    }
    // Comments, blank lines and lines with an error are kept, in file order.
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (kept[i])
            expected.push_back(lines[i]);
    }
    std::vector<std::string> actual;
    for (const KeptLine &line : store.keptLines)
        actual.push_back(line.rawBytes);
    fuzzCheck(actual == expected, "kept lines are not the comments, blank lines and lines with an error");
    fuzzCheck(store.count() >= 0 && static_cast<std::size_t>(store.count()) == store.tracks.size(),
              "record count matches the records");
    std::int32_t previousPlace = 0;
    for (const KeptLine &line : store.keptLines) {
        fuzzCheck(line.beforeRecord >= previousPlace && line.beforeRecord <= store.count(),
                  "kept line out of place");
        previousPlace = line.beforeRecord;
    }
}

// The writer's play time reads back only from 0 to 5,999 seconds; other
// times become "no stored time", as the list file's layout has it.
std::vector<Track> asReadBack(std::vector<Track> records)
{
    for (Track &record : records) {
        if (record.playTime < 0 || record.playTime >= 6000)
            record.playTime = 0;
    }
    return records;
}

std::string describe(const std::vector<Track> &records)
{
    std::string text;
    for (const Track &record : records)
        text += fuzzShow(formatTrackLine(record)) + "\n";
    return text;
}

} // unnamed

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    TrackList first;
    const std::vector<ListProblem> problems = readTrackList(bytes, first);
    checkProblems(bytes, problems, first);

    const std::string saved = writeTrackList(first);
    TrackList second;
    const std::vector<ListProblem> secondProblems = readTrackList(saved, second);
    checkProblems(saved, secondProblems, second);
    fuzzCheck(second.tracks == asReadBack(first.tracks), "a save read back changes the records",
              [&] { return "before:\n" + describe(first.tracks) + "after:\n" + describe(second.tracks); });
    // A save may put a line in front that keeps the file in its encoding.
    const std::size_t added = second.keptLines.size() - std::min(second.keptLines.size(), first.keptLines.size());
    fuzzCheck(std::equal(first.keptLines.begin(), first.keptLines.end(), second.keptLines.begin() + added,
                         second.keptLines.end())
                  && std::all_of(second.keptLines.begin(), second.keptLines.begin() + added,
                                 [](const KeptLine &line) { return line.beforeRecord == 0 && isNoteLine(line.rawBytes); }),
              "a save read back changes the kept lines");
    fuzzCheck(second.modified == false, "a saved list holds no hexadecimal code");

    // Once in the writer's layout, a list comes back byte for byte.
    const std::string savedAgain = writeTrackList(second);
    TrackList third;
    readTrackList(savedAgain, third);
    fuzzCheck(writeTrackList(third) == savedAgain, "a second save differs from the first",
              [&] { return fuzzShow(savedAgain) + "\n" + fuzzShow(writeTrackList(third)); });
    return 0;
}
