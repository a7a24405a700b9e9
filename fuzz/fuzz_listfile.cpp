// Any bytes as a list file: the reader neither crashes nor hangs, reads them
// the same both ways, and a save reads back as the same records and kept lines.
#include "fuzzcheck.h"
#include "tracklist/listfile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    TrackList first;
    const std::vector<ListProblem> problems = readTrackList(bytes, first);
    TrackList careful;
    fuzzCheck(readTrackList(bytes, careful, LineReading::Careful) == problems && sameRecords(careful, first)
                  && careful.keptLines == first.keptLines && careful.ownSpellings == first.ownSpellings,
              "lines read straight from their bytes read otherwise the long way");

    const std::string saved = writeTrackList(first);
    TrackList second;
    readTrackList(saved, second);
    // The writer's play time reads back only from 0 to 5,999 seconds.
    for (std::int32_t index = 0; index < first.count(); ++index) {
        if (const std::int32_t seconds = first.track(index).playTime; seconds < 0 || seconds >= 6000)
            first.setPlayTime(index, 0);
    }
    fuzzCheck(sameRecords(second, first), "a save read back changes the records");
    // A save may put comments in front that keep the file in its encoding.
    fuzzCheck(second.keptLines.size() >= first.keptLines.size()
                  && std::equal(first.keptLines.rbegin(), first.keptLines.rend(), second.keptLines.rbegin()),
              "a save read back changes the kept lines");
    fuzzCheck(!second.modified, "a saved list holds a hexadecimal code");
    // Once in the writer's layout, a list comes back byte for byte.
    const std::string savedAgain = writeTrackList(second);
    TrackList third;
    readTrackList(savedAgain, third);
    fuzzCheck(writeTrackList(third) == savedAgain, "a list in the writer's layout changes on a save");
    return 0;
}
