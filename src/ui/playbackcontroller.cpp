#include "ui/playbackcontroller.h"

#include "tracklist/conversions.h"
#include "ui/flexgrid.h"
#include "ui/formmain.h"
#include "ui/showntext.h"
#include "util/message.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <cmath>

PlaybackController::PlaybackController(FormMain &form, PlayerState &player, ProgramLifecycle &lifecycle)
    : m_form(form)
    , m_player(player)
    , m_lifecycle(lifecycle)
    , m_busyCursorDelay(new QTimer(this))
{
    // A quick change goes by without the cursor flickering.
    m_busyCursorDelay->setSingleShot(true);
    m_busyCursorDelay->setInterval(500);
    connect(m_busyCursorDelay, &QTimer::timeout, this, [this] { m_form.setCursor(Qt::BusyCursor); });
    connect(form.Timer2, &QTimer::timeout, this, &PlaybackController::onTimer2Tick);
    connect(form.CmdNext, &QPushButton::clicked, this, &PlaybackController::onCmdNextClick);
    connect(form.CmdGetTime, &QPushButton::clicked, this, &PlaybackController::onCmdGetTimeClick);
    connect(form.GridPlayList, &FlexGrid::dblClick, this, &PlaybackController::onGridPlayListActivate);
    connect(form.GridPlayList, &FlexGrid::keyPress, this, [this](qint16 charCode) {
        if (charCode == 13 || charCode == 32)
            onGridPlayListActivate();
    });
    connect(&form, &FormMain::closing, this, &PlaybackController::onClosing, Qt::DirectConnection);
}

bool PlaybackController::load()
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
    TrackList &list = m_player.list;
    if (!hasTracks()) {
        // Nothing to play: the header row alone, and the timer stays off.
        m_form.refreshPlayList(0, true, false);
        return true;
    }
    beginChange();
    list.current = m_form.ChkShufflePlay->isChecked() ? randomIndex() : 0;
    m_form.refreshPlayList(list.current, true, false);
    playCurrentTrack();
    m_form.refreshPlayList(list.current, false, true);
    showTrackInfo(list.current);
    endChange();
    m_form.Timer2->start();
    m_form.activateWindow();
    m_form.setFocus();
    finishInput();
    return true;
}

void PlaybackController::onTimer2Tick()
{
    if (m_changing || !hasTracks())
        return;
    ++elapsed;
    showPlayTime();
    m_form.LblPlayTime->repaint();
    if (elapsed > playLimit && !m_form.ChkLoop->isChecked())
        submit({Entry::Tick});
}

void PlaybackController::onCmdNextClick()
{
    submit({Entry::Next});
}

void PlaybackController::onCmdGetTimeClick()
{
    submit({Entry::GetTime});
}

void PlaybackController::onGridPlayListActivate()
{
    submit({Entry::Grid, m_form.GridPlayList->row()});
}

void PlaybackController::submit(Command command)
{
    if (!hasTracks() || m_closeRequested)
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

void PlaybackController::queue(const Command &command)
{
    // Many presses become one change, so the emulator is not kept switching.
    if (command.entry == Entry::Next && !m_queued.empty() && m_queued.back().entry == Entry::Next) {
        ++m_queued.back().steps;
        return;
    }
    m_queued.push_back(command);
}

void PlaybackController::finishInput()
{
    while (!m_queued.empty() && !m_closeRequested) {
        const Command next = m_queued.front();
        m_queued.pop_front();
        run(next);
    }
    if (m_closeRequested)
        m_form.close();
}

void PlaybackController::run(const Command &command)
{
    TrackList &list = m_player.list;
    beginChange();
    switch (command.entry) {
    case Entry::Tick:
    case Entry::Next:
    case Entry::GetTime:
        m_form.Timer2->stop();
        if (command.entry == Entry::GetTime)
            storePlayTime();
        for (qint32 step = 0; step < command.steps; ++step)
            nextTrackIndex();
        changeTrack(false, true);
        break;
    case Entry::Grid:
        if (command.gridRow < 1 || command.gridRow > list.count())
            break; // the header row holds no track
        m_form.GridPlayList->setEnabled(false);
        m_form.Timer2->stop();
        list.current = command.gridRow - 1;
        changeTrack(false, false);
        m_form.GridPlayList->setEnabled(true);
        m_form.GridPlayList->setFocus();
        break;
    }
    endChange();
    m_form.Timer2->start();
}

void PlaybackController::beginChange()
{
    m_changing = true;
    m_busyCursorDelay->start();
}

void PlaybackController::endChange()
{
    m_changing = false;
    m_busyCursorDelay->stop();
    m_form.unsetCursor();
}

void PlaybackController::storePlayTime()
{
    // A track that has not played a whole second keeps the time it has: the
    // press would store 0 and the user, its row scrolled away, never see it.
    // A press queued behind a change comes here with the new track at 0.
    if (elapsed < 1)
        return;
    m_player.list.storePlayTime(elapsed);
    m_form.refreshRow(m_player.list.current);
}

void PlaybackController::nextTrackIndex()
{
    TrackList &list = m_player.list;
    if (m_form.ChkShufflePlay->isChecked()) {
        list.current = randomIndex();
        return;
    }
    ++list.current;
    if (list.current > list.count() - 1)
        list.current = 0;
}

void PlaybackController::changeTrack(bool rebuild, bool moveToTop)
{
    const qint32 index = m_player.list.current;
    playCurrentTrack();
    m_form.refreshPlayList(index, rebuild, moveToTop);
    showTrackInfo(index);
}

void PlaybackController::playCurrentTrack()
{
    const Result<void> played = m_lifecycle.emulator().play(m_player.list, m_player.list.current);
    if (played)
        return;
    // Once is enough: when the emulator is gone every later change fails too.
    printMessage(played.error().message);
    if (!m_emulatorFailureShown) {
        m_emulatorFailureShown = true;
        m_lifecycle.dialogs().showExclamation(played.error().forDialog());
    }
}

void PlaybackController::showTrackInfo(qint32 trackIndex)
{
    const Track &track = m_player.list.tracks.at(static_cast<std::size_t>(trackIndex));
    m_form.LblGameTitle->setText(shownText(track.gameTitle));
    m_form.LblMusicTitle->setText(shownText(track.musicTitle));
    storedTime = track.playTime;
    playLimit = track.playTime > 0 ? track.playTime : m_player.settings.defaultPlayTime;
    elapsed = 0;
    showPlayTime();
}

qint32 PlaybackController::randomIndex()
{
    const double product = static_cast<double>(m_player.nextRandom()) * m_player.list.count();
    return static_cast<qint32>(std::floor(product));
}

void PlaybackController::showPlayTime()
{
    const std::string text = formatPlayTime(elapsed) + "/" + formatPlayTime(storedTime);
    m_form.LblPlayTime->setText(QString::fromStdString(text));
}

void PlaybackController::onClosing(QCloseEvent *event)
{
    if (m_changing) {
        // The running client run ends first (within its time limit); the
        // window closes as soon as the change is over.
        m_closeRequested = true;
        m_queued.clear();
        event->ignore();
        return;
    }
    if (!m_ended) {
        m_ended = true;
        m_form.Timer2->stop();
        m_lifecycle.shutDown();
    }
    event->accept();
}
