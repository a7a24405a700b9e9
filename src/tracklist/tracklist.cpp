#include "tracklist/tracklist.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

TrackView TrackList::track(std::int32_t index) const
{
    TrackView view = texts(index);
    view.playTime = m_records[static_cast<std::size_t>(index)].playTime;
    return view;
}

TrackView TrackList::texts(std::int32_t index) const
{
    const Record &record = m_records.at(static_cast<std::size_t>(index));
    const char *text = m_text.get();
    const auto piece = [&](std::uint32_t begin, std::uint32_t end) {
        return std::string_view(text + begin, end - begin);
    };
    const std::uint32_t *ends = record.textEnds;
    return {0, piece(textStart(static_cast<std::size_t>(index)), ends[0]), piece(ends[0], ends[1]),
            piece(ends[1], ends[2]), record.code, piece(ends[2], ends[3])};
}

bool sameRecords(const TrackList &a, const TrackList &b)
{
    if (a.count() != b.count())
        return false;
    for (std::int32_t index = 0; index < a.count(); ++index) {
        if (a.track(index) != b.track(index))
            return false;
    }
    return true;
}

void TrackList::addRecord(const TrackView &record)
{
    for (const std::string_view text : {record.gameTitle, record.major, record.sub, record.musicTitle}) {
        char *room = textRoom(text.size());
        endText(std::copy(text.begin(), text.end(), room));
    }
    endRecord(record.playTime, record.code);
}

void TrackList::setPlayTime(std::int32_t index, std::int32_t seconds)
{
    m_records.at(static_cast<std::size_t>(index)).playTime = seconds;
}

void TrackList::storePlayTime(std::int32_t seconds)
{
    setPlayTime(current, seconds);
    modified = true;
}

void TrackList::reserveMore(std::int32_t records, std::size_t textBytes)
{
    m_records.reserve(m_records.size() + static_cast<std::size_t>(records));
    if (textUsed() + textBytes > m_textCapacity)
        growText(textUsed() + textBytes);
}

void TrackList::growText(std::size_t capacity)
{
    std::unique_ptr<char[]> grown = std::make_unique_for_overwrite<char[]>(capacity);
    std::copy_n(m_text.get(), textUsed(), grown.get());
    m_text = std::move(grown);
    m_textCapacity = capacity;
}

char *TrackList::textRoom(std::size_t bytes)
{
    const std::size_t used = textUsed();
    if (bytes > std::numeric_limits<std::uint32_t>::max() - used)
        throw std::length_error("track list texts past 4 GiB");
    if (used + bytes > m_textCapacity)
        growText(std::max(used + bytes, m_textCapacity * 2));
    return m_text.get() + used;
}

void TrackList::endText(const char *end)
{
    m_pendingEnds[m_pendingTexts++] = static_cast<std::uint32_t>(end - m_text.get());
}

void TrackList::endRecord(std::int32_t playTime, TrackCode code)
{
    Record &record = m_records.emplace_back();
    record.playTime = playTime;
    record.code = code;
    std::copy(std::begin(m_pendingEnds), std::end(m_pendingEnds), record.textEnds);
    m_textSize = m_pendingEnds[3];
    m_pendingTexts = 0;
}

void TrackList::dropTexts()
{
    m_pendingTexts = 0;
}
