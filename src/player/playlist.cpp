#include "player/playlist.h"

#include "player/showntext.h"

namespace {

constexpr RgbColor kShadeStored = 0xFFFFFF;
constexpr RgbColor kShadeNoTime = 0xDDDDDD;

} // namespace

const char *Playlist::headerText(int column)
{
    static constexpr const char *kHeaders[kColumns] = {"NO", "GAME TITLE", "MUSIC TITLE"};
    return kHeaders[column];
}

std::string Playlist::cellText(int track, int column) const
{
    const TrackView record = m_list.track(track);
    switch (column) {
    case 0:
        return std::to_string(track + 1);
    case 1:
        return shownText(record.gameTitle);
    default:
        return shownText(record.musicTitle);
    }
}

CellAlignment Playlist::alignment(int column)
{
    return column == 0 ? CellAlignment::Right : CellAlignment::Left;
}

RgbColor Playlist::shade(int track) const
{
    return m_list.track(track).playTime > 0 ? kShadeStored : kShadeNoTime;
}
