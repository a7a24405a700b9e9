#include "player/player.h"

#include "player/columnwidths.h"
#include "player/showntext.h"
#include "tracklist/conversions.h"
#include "util/message.h"

#include <algorithm>
#include <cmath>
#include <utility>

using std::chrono::milliseconds;

static constexpr milliseconds kTickInterval{1000};
// How far back 「前の曲」 goes; a run rarely plays more tracks than this.
static constexpr std::size_t kHistoryLength = 1000;

Player::Player(PlayerView &view, PlayerState &state, ProgramLifecycle &lifecycle, MainLoop &loop)
    : m_view(view)
    , m_state(state)
    , m_lifecycle(lifecycle)
    , m_loop(loop)
    , m_busy(view, loop)
    , m_playlist(state.list)
{
}

void Player::start()
{
    m_stateNow = State::Starting;
    m_starting = m_lifecycle.start();
    m_starting.start([this](bool ok) { started(ok); });
    // Here start-up waits for the emulator, the list read: the grid is filled
    // meanwhile, and shown once the emulator has taken its first order.
    if (m_stateNow == State::Starting)
        fillGrid();
}

// Start-up waits for the emulator as a change does: input meanwhile is
// queued, and a close asked for is carried out once it is over.
void Player::started(bool ok)
{
    if (!ok) {
        m_exitCode = 1;
        m_stateNow = State::Ended;
        m_view.endProgram();
        return;
    }
    if (m_closeRequested) {
        m_stateNow = State::Playing;
        shutDown();
        return;
    }
    fillGrid();
    if (!hasTracks()) {
        // Nothing to play: the header row alone, and the timer stays off.
        refreshPlayList(0, false);
        m_stateNow = State::Playing;
        if (const std::string text = m_lifecycle.takeLoadMessage(); !text.empty())
            m_view.showExclamation(text);
        return;
    }
    TrackList &list = m_state.list;
    const std::optional<std::int32_t> resumed = m_lifecycle.resumedTrack();
    list.current = resumed ? *resumed : m_shuffling ? randomIndex() : 0;
    const bool orderable = passUnorderableTracks();
    refreshPlayList(list.current, false);
    if (!orderable) {
        m_stateNow = State::Playing; // no track can be ordered: the grid is there, nothing plays
        return;
    }
    beginChange(playAndShow(true), Focus::Window);
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

void Player::previous()
{
    submit({Entry::Previous});
}

bool Player::isQueued(int track) const
{
    return std::ranges::find(m_upNext, track) != m_upNext.end();
}

bool Player::gridKeyPressed(GridKey key, const std::string &text, int row)
{
    switch (key) {
    case GridKey::Enter:
        activateRow(row);
        return true;
    case GridKey::Space:
        // Within the typing pause a space belongs to the search text, so a
        // title of two words can be found.
        if (m_finder.isTyping(now()))
            break;
        activateRow(row);
        return true;
    case GridKey::Queue:
        submit({Entry::Queue, row});
        return true;
    case GridKey::FindNext:
    case GridKey::FindPrevious:
        showFoundRow(m_finder.findAgain(key == GridKey::FindNext, row));
        return true;
    case GridKey::Text:
        if (text.empty())
            return false;
        break;
    }
    // Finding touches neither the emulator nor the track playing, so it is
    // carried out at once, even while a change waits for the client; a key
    // queued meanwhile keeps the row it was pressed on.
    const int track = m_finder.findTyped(key == GridKey::Space ? " " : text, row, now());
    m_view.showFindText(m_finder.searchText());
    showFoundRow(track);
    return true;
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

void Player::setShuffle(bool on)
{
    m_shuffling = on;
    m_view.showPlayModes(m_shuffling, m_looping);
    tellListeners();
}

void Player::setLoop(bool on)
{
    m_looping = on;
    m_view.showPlayModes(m_shuffling, m_looping);
    tellListeners();
}

void Player::submit(Command command)
{
    switch (m_stateNow) {
    case State::Playing:
        if (hasTracks())
            run(command);
        return;
    case State::Starting:
    case State::Changing:
        // A second change nested in a change's wait would leave the emulator
        // and the labels on different tracks. Many next presses become one
        // change, so the emulator is not kept switching.
        if (command.entry == Entry::Next && !m_queued.empty() && m_queued.back().entry == Entry::Next)
            ++m_queued.back().steps;
        else
            m_queued.push_back(command);
        return;
    case State::Closing:
    case State::Ended:
        // The save question may be open; the desktop's controls can still send input then.
        return;
    }
}

void Player::run(const Command &command)
{
    TrackList &list = m_state.list;
    const std::int32_t playing = list.current;
    switch (command.entry) {
    case Entry::Tick:
    case Entry::Next:
    case Entry::StoreTime:
        if (command.entry == Entry::StoreTime)
            storePlayTime();
        for (int step = 0; step < command.steps; ++step)
            nextTrackIndex();
        if (!passUnorderableTracks()) {
            list.current = playing;
            break;
        }
        rememberPlayed(playing);
        beginChange(playAndShow(true), Focus::Unchanged);
        return;
    case Entry::Grid:
        // No track's row (the header row), or a track that cannot be ordered, plays nothing.
        if (command.track < 0 || command.track >= list.count() || !ordersFit(command.track))
            break;
        list.current = command.track;
        rememberPlayed(playing);
        beginChange(playAndShow(false), Focus::Grid);
        return;
    case Entry::Previous:
        // The track left is not remembered, so a second press goes further back.
        if (m_history.empty())
            break;
        list.current = m_history.back();
        m_history.pop_back();
        beginChange(playAndShow(true), Focus::Unchanged);
        return;
    case Entry::Queue:
        // Touches neither the emulator nor the seconds counted.
        toggleUpNext(command.track);
        return;
    }
    startTick();
}

// Moves on past tracks that cannot be ordered, at most once round the list;
// false when none can be.
bool Player::passUnorderableTracks()
{
    for (int tried = 0; !ordersFit(m_state.list.current) && tried < m_state.list.count(); ++tried)
        nextTrackIndex();
    return ordersFit(m_state.list.current);
}

// Tells the user, once per track, of a track whose orders the system would
// refuse or cut; it is neither ordered nor shown as playing.
bool Player::ordersFit(int track)
{
    const TrackView record = m_state.list.track(track);
    if (m_lifecycle.emulator().ordersFit(record))
        return true;
    if (m_refusalsTold.insert(track).second) {
        // Input meanwhile waits in the queue, as during a change.
        const State before = std::exchange(m_stateNow, State::Changing);
        m_view.showExclamation("曲「" + shownText(record.musicTitle) + "」（" + std::to_string(track + 1)
                               + " 曲目）は、命令が長すぎて hootclient に渡せないため演奏しません。");
        m_stateNow = before;
    }
    return false;
}

void Player::beginChange(Task<Result<void>> change, Focus focus)
{
    m_stateNow = State::Changing;
    stopTick();
    m_busy.changeBegins();
    m_change = std::move(change);
    m_change.start([this, focus](Result<void> played) { changeEnded(std::move(played), focus); });
}

void Player::changeEnded(Result<void> played, Focus focus)
{
    m_busy.changeEnds();
    // Still changing while a message is up: what comes in meanwhile waits.
    reportPlayFailure(played);
    if (const std::string text = m_lifecycle.takeLoadMessage(); !text.empty())
        m_view.showExclamation(text);
    m_stateNow = State::Playing;
    startTick();
    if (focus == Focus::Grid)
        m_view.focusGrid();
    if (focus == Focus::Window)
        m_view.focusWindow();
    carryOutQueued();
}

void Player::carryOutQueued()
{
    if (m_closeRequested) {
        m_queued.clear();
        shutDown();
        return;
    }
    if (m_queued.empty())
        return;
    const Command next = m_queued.front();
    m_queued.pop_front();
    run(next);
    // The command's change ends by coming back here; one that plays nothing
    // (a header row, a track that cannot be ordered) leaves the player idle,
    // so the rest goes on now.
    if (m_stateNow == State::Playing)
        carryOutQueued();
}

void Player::requestClose()
{
    switch (m_stateNow) {
    case State::Starting:
    case State::Changing:
        // The running client run ends first (within its time limit); the
        // run ends as soon as the change is over.
        m_closeRequested = true;
        m_queued.clear();
        return;
    case State::Playing:
        shutDown();
        return;
    case State::Closing:
    case State::Ended:
        return;
    }
}

void Player::sessionEnds(bool canAsk)
{
    if (!canAsk) {
        m_lifecycle.endUnattended();
        m_view.stopAsking();
    }
    requestClose();
}

void Player::shutDown()
{
    m_stateNow = State::Closing;
    stopTick();
    m_lifecycle.shutDown();
    m_exitCode = m_lifecycle.saveFailed() ? 2 : 0;
    m_stateNow = State::Ended;
    m_view.endProgram();
}

void Player::startTick()
{
    stopTick();
    m_tick = m_loop.startTimer(kTickInterval, [this] {
        m_tick.reset();
        tick();
    });
}

void Player::stopTick()
{
    if (m_tick)
        m_loop.cancelTimer(*m_tick);
    m_tick.reset();
}

void Player::tick()
{
    if (m_stateNow != State::Playing || !hasTracks())
        return;
    startTick();
    ++m_elapsed;
    showPlayTime();
    if (m_elapsed > m_playLimit && !m_looping)
        submit({Entry::Tick});
}

void Player::storePlayTime()
{
    // A track that has not played a whole second keeps the time it has: the
    // press would store 0 and the user, its row scrolled away, never see it.
    // A press queued behind a change comes here with the new track at 0.
    if (m_elapsed < 1)
        return;
    m_state.list.storePlayTime(m_elapsed);
    m_lifecycle.keepStoredTime(m_state.list.current);
    m_view.repaintRow(m_state.list.current);
}

void Player::nextTrackIndex()
{
    TrackList &list = m_state.list;
    // A queued track comes first, in shuffle too; the list goes on after it.
    if (!m_upNext.empty()) {
        list.current = m_upNext.front();
        m_upNext.pop_front();
        m_view.redrawRow(list.current);
        return;
    }
    if (m_shuffling) {
        list.current = randomIndex();
        return;
    }
    ++list.current;
    if (list.current > list.count() - 1)
        list.current = 0;
}

void Player::toggleUpNext(int track)
{
    if (track < 0 || track >= m_state.list.count())
        return;
    if (const auto at = std::ranges::find(m_upNext, track); at != m_upNext.end())
        m_upNext.erase(at);
    else
        m_upNext.push_back(track);
    m_view.redrawRow(track);
}

// A track started again (a row played twice, shuffle drawing the same one)
// is one entry, so going back leaves it.
void Player::rememberPlayed(int track)
{
    if (!m_shown || track == m_state.list.current)
        return;
    m_history.push_back(track);
    if (m_history.size() > kHistoryLength)
        m_history.pop_front();
}

// Orders the current track, then scrolls its row to the top on request,
// selects it and shows its titles.
Task<Result<void>> Player::playAndShow(bool moveToTop)
{
    const std::int32_t track = m_state.list.current;
    Result<void> played = co_await m_lifecycle.emulator().play(m_state.list, track);
    refreshPlayList(track, moveToTop);
    showTrackInfo(track);
    co_return played;
}

// The grid's rows and column widths, and the titles folded for type-to-find; once.
void Player::fillGrid()
{
    if (std::exchange(m_gridFilled, true))
        return;
    m_finder.index(m_state.list);
    m_view.setTrackRows(m_playlist.trackCount(), columnWidthsTwips(m_playlist, m_view.textMeasure()));
}

// Scrolls the track's row to the top on request, selects that row and shows
// the window.
void Player::refreshPlayList(int track, bool moveToTop)
{
    // An empty list has no row to scroll to or select.
    if (track >= 0 && track < m_playlist.trackCount()) {
        if (moveToTop)
            m_view.putRowOnTop(track);
        m_view.selectRow(track);
    }
    m_view.showWindow();
}

void Player::reportPlayFailure(const Result<void> &played)
{
    if (played)
        return;
    // Shown once: when the emulator is gone every later change fails too, and
    // later failures go to standard error only (a shown message goes there too).
    if (m_emulatorFailureShown) {
        printMessage(played.error());
        return;
    }
    m_emulatorFailureShown = true;
    printDetail(played.error());
    m_view.showExclamation(played.error().text);
}

void Player::showTrackInfo(int track)
{
    const TrackView record = m_state.list.track(track);
    m_view.showTitles(shownText(record.gameTitle), shownText(record.musicTitle));
    m_storedTime = record.playTime;
    m_playLimit = record.playTime > 0 ? record.playTime : m_state.settings.defaultPlayTime;
    m_elapsed = 0;
    m_shown = true;
    showPlayTime();
    m_lifecycle.trackStarted();
    tellListeners();
}

void Player::tellListeners()
{
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
