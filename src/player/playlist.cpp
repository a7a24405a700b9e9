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
    std::string number;
    return std::string(cellView(track, column, number));
}

std::string_view Playlist::cellView(int track, int column, std::string &number) const
{
    const TrackView record = m_list.track(track);
    switch (column) {
    case 0:
        number = std::to_string(track + 1);
        return number;
    case 1:
        return shownPart(record.gameTitle);
    default:
        return shownPart(record.musicTitle);
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
