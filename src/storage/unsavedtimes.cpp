#include "storage/unsavedtimes.h"

#include "storage/savefile.h"
#include "util/file.h"
#include "util/text.h"

#include <algorithm>
#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <optional>

namespace {

// A hash of the fields that name the track; its play time is left out, as
// that is what the file changes.
std::uint64_t checkOf(const TrackView &track)
{
    std::uint64_t hash = kFnv1aStart;
    const std::string code = track.code.toDecimalText();
    for (const std::string_view field :
         {track.gameTitle, track.major, track.sub, std::string_view(code), track.musicTitle})
        hash = fnv1a("\n", fnv1a(field, hash));
    return hash;
}

// A number that takes up all of `text`.
template <typename Number>
bool parseWhole(std::string_view text, Number &value, int base = 10)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

// "place seconds check", or nullopt for a line that is not one, or no longer fits `list`.
std::optional<UnsavedTime> parseLine(std::string_view line, const TrackList &list)
{
    const std::size_t first = line.find(' '), second = line.find(' ', first == std::string_view::npos ? 0 : first + 1);
    std::int32_t place = 0, seconds = 0;
    std::uint64_t check = 0;
    if (second == std::string_view::npos || !parseWhole(line.substr(0, first), place)
        || !parseWhole(line.substr(first + 1, second - first - 1), seconds)
        || !parseWhole(line.substr(second + 1), check, 16))
        return std::nullopt;
    if (place < 1 || place > list.count() || seconds < 1
        || checkOf(list.track(place - 1)) != check)
        return std::nullopt;
    return UnsavedTime{place - 1, seconds};
}

} // namespace

std::string writeUnsavedTimes(const TrackList &list, const std::set<std::int32_t> &tracks)
{
    std::string text;
    for (const std::int32_t track : tracks) {
        const TrackView record = list.track(track);
        char line[64];
        std::snprintf(line, sizeof line, "%" PRId32 " %" PRId32 " %016" PRIx64 "\n", track + 1, record.playTime,
                      checkOf(record));
        text += line;
    }
    return text;
}

std::vector<UnsavedTime> readUnsavedTimes(std::string_view text, const TrackList &list)
{
    std::vector<UnsavedTime> times;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        if (const std::optional<UnsavedTime> time = parseLine(text.substr(0, end), list))
            times.push_back(*time);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return times;
}

std::vector<UnsavedTime> UnsavedTimesFile::recover(const TrackList &list)
{
    const Result<std::string> text = readFile(m_path);
    std::vector<UnsavedTime> times = text ? readUnsavedTimes(text.value(), list) : std::vector<UnsavedTime>();
    if (times.empty())
        discard();
    for (const UnsavedTime &time : times)
        m_tracks.insert(time.track);
    return times;
}

Result<void> UnsavedTimesFile::keep(const TrackList &list, std::int32_t track)
{
    m_tracks.insert(track);
    return saveFileAtomically(m_path, writeUnsavedTimes(list, m_tracks), KeptBackup::None);
}

void UnsavedTimesFile::discard()
{
    m_tracks.clear();
    std::error_code ignored; // a file left behind is offered again, and can be answered No
    std::filesystem::remove(pathFromUtf8(m_path), ignored);
}
