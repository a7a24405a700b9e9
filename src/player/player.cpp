#include "player/player.h"

#include "player/columnwidths.h"
#include "player/showntext.h"
#include "tracklist/conversions.h"
#include "util/message.h"

#include <cmath>

Player::Player(PlayerView &view, PlayerState &state, ProgramLifecycle &lifecycle, BusyCursor &busy)
    : m_view(view)
    , m_state(state)
    , m_lifecycle(lifecycle)
    , m_busy(busy)
    , m_playlist(state.list)
{
}

bool Player::load()
{
    // Start-up waits for the emulator as a track change does: a close asked
    // for meanwhile is carried out once it is over.
    m_changing = true;
    const bool started = m_lifecycle.start();
    m_changing = false;
    if (!started)
        return false;
    if (m_closeRequested) {
        finishInput();
        return true;
    }
    TrackList &list = m_state.list;
    if (!hasTracks()) {
        // Nothing to play: the header row alone, and the timer stays off.
        refreshPlayList(0, true, false);
        return true;
    }
    beginChange();
    list.current = m_view.shuffleChecked() ? randomIndex() : 0;
    refreshPlayList(list.current, true, false);
    playCurrentTrack();
    refreshPlayList(list.current, false, true);
    showTrackInfo(list.current);
    endChange();
    m_view.startTick();
    m_view.focusWindow();
    finishInput();
    return true;
}

void Player::tick()
{
    if (m_changing || !hasTracks())
        return;
    ++m_elapsed;
    showPlayTime();
    if (m_elapsed > m_playLimit && !m_view.loopChecked())
        submit({Entry::Tick});
}

void Player::next()
{
    submit({Entry::Next});
}

void Player::storeTime()
{
    submit({Entry::StoreTime});
}

void Player::activateRow(int track)
{
    submit({Entry::Grid, track});
}

// Finding touches neither the emulator nor the track playing, so it is
// carried out at once, even while a change waits for the client.
void Player::findTyped(const std::string &typed, int fromRow, std::chrono::milliseconds now)
{
    const int track = m_finder.findTyped(typed, fromRow, now);
    m_view.showFindText(m_finder.searchText());
    showFoundRow(track);
}

void Player::findAgain(bool forward, int fromRow)
{
    showFoundRow(m_finder.findAgain(forward, fromRow));
}

void Player::showFoundRow(int track)
{
    if (track < 0) {
        m_view.beep();
        return;
    }
    m_view.selectRow(track);
    m_view.showRow(track);
}

void Player::submit(Command command)
{
    // Once shut down (the save question may be open) nothing plays any more;
    // the desktop's controls can still send input then.
    if (!hasTracks() || m_closeRequested || m_ended)
        return;
    if (m_changing) {
        // We are inside a change's wait for the client: nesting a second
        // change there would leave the emulator and the labels on different
        // tracks.
        queue(command);
        return;
    }
    run(command);
    finishInput();
}

void Player::queue(const Command &command)
{
    // Many presses become one change, so the emulator is not kept switching.
    if (command.entry == Entry::Next && !m_queued.empty() && m_queued.back().entry == Entry::Next) {
        ++m_queued.back().steps;
        return;
    }
    m_queued.push_back(command);
}

void Player::finishInput()
{
    while (!m_queued.empty() && !m_closeRequested) {
        const Command next = m_queued.front();
        m_queued.pop_front();
        run(next);
    }
    if (m_closeRequested)
        m_view.close();
}

void Player::run(const Command &command)
{
    TrackList &list = m_state.list;
    beginChange();
    switch (command.entry) {
    case Entry::Tick:
    case Entry::Next:
    case Entry::StoreTime:
        m_view.stopTick();
        if (command.entry == Entry::StoreTime)
            storePlayTime();
        for (int step = 0; step < command.steps; ++step)
            nextTrackIndex();
        changeTrack(false, true);
        break;
    case Entry::Grid:
        if (command.track < 0 || command.track >= list.count())
            break; // no track's row, such as the header row
        m_view.setGridEnabled(false);
        m_view.stopTick();
        list.current = command.track;
        changeTrack(false, false);
        m_view.setGridEnabled(true);
        m_view.focusGrid();
        break;
    }
    endChange();
    m_view.startTick();
}

void Player::beginChange()
{
    m_changing = true;
    m_busy.changeBegins();
}

void Player::endChange()
{
    m_changing = false;
    m_busy.changeEnds();
}

void Player::storePlayTime()
{
    // A track that has not played a whole second keeps the time it has: the
    // press would store 0 and the user, its row scrolled away, never see it.
    // A press queued behind a change comes here with the new track at 0.
    if (m_elapsed < 1)
        return;
    m_state.list.storePlayTime(m_elapsed);
    m_view.repaintRow(m_state.list.current);
}

void Player::nextTrackIndex()
{
    TrackList &list = m_state.list;
    if (m_view.shuffleChecked()) {
        list.current = randomIndex();
        return;
    }
    ++list.current;
    if (list.current > list.count() - 1)
        list.current = 0;
}

void Player::changeTrack(bool rebuild, bool moveToTop)
{
    const std::int32_t track = m_state.list.current;
    playCurrentTrack();
    refreshPlayList(track, rebuild, moveToTop);
    showTrackInfo(track);
}

// Rebuilds the grid on request, scrolls the track's row to the top on
// request, selects that row and shows the window.
void Player::refreshPlayList(int track, bool rebuild, bool moveToTop)
{
    if (rebuild) {
        m_finder.index(m_state.list);
        m_view.setTrackRows(m_playlist.trackCount(), columnWidthsTwips(m_playlist, m_view.textMeasure()));
    }
    // An empty list has no row to scroll to or select.
    if (track >= 0 && track < m_playlist.trackCount()) {
        if (moveToTop)
            m_view.putRowOnTop(track);
        m_view.selectRow(track);
    }
    m_view.showWindow();
}

void Player::playCurrentTrack()
{
    const Result<void> played = m_lifecycle.emulator().play(m_state.list, m_state.list.current);
    if (played)
        return;
    // Shown once: when the emulator is gone every later change fails too, and
    // later failures go to standard error only (a shown message goes there too).
    if (m_emulatorFailureShown) {
        printMessage(played.error().message);
        return;
    }
    m_emulatorFailureShown = true;
    m_view.showExclamation(played.error().forDialog());
}

void Player::showTrackInfo(int track)
{
    const Track &record = m_state.list.tracks.at(static_cast<std::size_t>(track));
    m_view.showTitles(shownText(record.gameTitle), shownText(record.musicTitle));
    m_storedTime = record.playTime;
    m_playLimit = record.playTime > 0 ? record.playTime : m_state.settings.defaultPlayTime;
    m_elapsed = 0;
    showPlayTime();
    for (const auto &listener : m_trackChanged)
        listener();
}

std::int32_t Player::randomIndex()
{
    const double product = static_cast<double>(m_state.nextRandom()) * m_state.list.count();
    return static_cast<std::int32_t>(std::floor(product));
}

void Player::showPlayTime()
{
    m_view.showPlayTime(formatPlayTime(m_elapsed) + "/" + formatPlayTime(m_storedTime));
}

bool Player::requestClose()
{
    if (m_changing) {
        // The running client run ends first (within its time limit); the
        // window closes as soon as the change is over.
        m_closeRequested = true;
        m_queued.clear();
        return false;
    }
    if (!m_ended) {
        m_ended = true;
        m_view.stopTick();
        m_lifecycle.shutDown();
    }
    return true;
}
