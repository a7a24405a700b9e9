// Any bytes as a list file: the reader must neither crash nor hang, every
// problem must name a line of the file, and a save read back must give the
// same records and kept lines.
#include "fuzzcheck.h"
#include "tracklist/listfile.h"

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

void checkProblems(const std::string &bytes, const std::vector<ListProblem> &problems, const TrackList &store)
{
    const bool byteOrderMark = store.encoding == ListEncoding::Utf8WithBom;
    const std::vector<std::string> lines = splitLines(byteOrderMark ? bytes.substr(3) : bytes);
    const int lineCount = static_cast<int>(lines.size());
    int previousLine = 0;
    std::size_t errors = 0;
    for (const ListProblem &problem : problems) {
        fuzzCheck(problem.lineNumber >= 1 && problem.lineNumber <= lineCount, "problem outside the file's lines", [&] {
            return std::to_string(problem.lineNumber) + " of " + std::to_string(lineCount) + ": " + problem.reason;
        });
        fuzzCheck(problem.lineNumber > previousLine, "problems out of line order or two for one line");
        fuzzCheck(!problem.reason.empty(), "problem without a reason");
        previousLine = problem.lineNumber;
        if (problem.severity == ListProblem::Severity::Error) {
            fuzzCheck(errors < store.keptLines.size()
                          && store.keptLines[errors].rawBytes == lines[static_cast<std::size_t>(problem.lineNumber - 1)],
                      "kept line is not the line of its error", [&] { return problem.reason; });
            ++errors;
        }
    }
    fuzzCheck(errors == store.keptLines.size(), "every error keeps its line");
    fuzzCheck(store.count() >= 0 && static_cast<std::size_t>(store.count()) == store.tracks.size(),
              "record count matches the records");
    std::int32_t previousPlace = 0;
    for (const KeptLine &kept : store.keptLines) {
        fuzzCheck(kept.beforeRecord >= previousPlace && kept.beforeRecord <= store.count(),
                  "kept line out of place");
        previousPlace = kept.beforeRecord;
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
    fuzzCheck(second.keptLines == first.keptLines, "a save read back changes the kept lines");
    fuzzCheck(second.modified == false, "a saved list holds no hexadecimal code");

    // Once in the writer's layout, a list comes back byte for byte.
    const std::string savedAgain = writeTrackList(second);
    TrackList third;
    readTrackList(savedAgain, third);
    fuzzCheck(writeTrackList(third) == savedAgain, "a second save differs from the first",
              [&] { return fuzzShow(savedAgain) + "\n" + fuzzShow(writeTrackList(third)); });
    return 0;
}
