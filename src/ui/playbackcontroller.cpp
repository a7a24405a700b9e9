#include "ui/playbackcontroller.h"

#include "tracklist/conversions.h"
#include "ui/flexgrid.h"
#include "ui/formmain.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <cmath>
#include <iostream>

PlaybackController::PlaybackController(FormMain &form, Common &common, ProgramLifecycle &lifecycle)
    : m_form(form)
    , m_common(common)
    , m_lifecycle(lifecycle)
{
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
    if (!m_lifecycle.CommonProgramStart())
        return false;
    ListStore &list = m_common.list;
    if (!hasTracks()) {
        // Nothing to play: the header row alone, and the timer stays off.
        m_form.FormMainRefreshPlayList(0, VbTrue, VbFalse);
        return true;
    }
    m_changing = true;
    list.lngPlayLoc = m_form.ChkShufflePlay->isChecked() ? FormMainGetRandom() : 0;
    m_form.FormMainRefreshPlayList(list.lngPlayLoc, VbTrue, VbFalse);
    playCurrentTrack();
    m_form.FormMainRefreshPlayList(list.lngPlayLoc, VbFalse, VbTrue);
    FormMainRefreshPlayInfo(list.lngPlayLoc);
    m_changing = false;
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
    ++lngPlayCount;
    showPlayTime();
    m_form.LblPlayTime->repaint();
    if (lngPlayCount > lngPlayLimit && !m_form.ChkLoop->isChecked())
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
        m_queued.push_back(command);
        return;
    }
    run(command);
    finishInput();
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
    ListStore &list = m_common.list;
    m_changing = true;
    switch (command.entry) {
    case Entry::Tick:
    case Entry::Next:
        m_form.Timer2->stop();
        nextTrackIndex();
        changeTrack(VbFalse, VbTrue);
        break;
    case Entry::GetTime:
        m_form.Timer2->stop();
        list.storePlayTime(lngPlayCount);
        m_form.FormMainRefreshPlayListRow(list.lngPlayLoc);
        nextTrackIndex();
        changeTrack(VbFalse, VbTrue);
        break;
    case Entry::Grid:
        if (command.gridRow < 1 || command.gridRow > list.lngMusicCount)
            break; // the header row holds no track
        m_form.GridPlayList->setEnabled(false);
        m_form.Timer2->stop();
        list.lngPlayLoc = command.gridRow - 1;
        changeTrack(VbFalse, VbFalse);
        m_form.GridPlayList->setEnabled(true);
        m_form.GridPlayList->setFocus();
        break;
    }
    m_changing = false;
    m_form.Timer2->start();
}

void PlaybackController::nextTrackIndex()
{
    ListStore &list = m_common.list;
    if (m_form.ChkShufflePlay->isChecked()) {
        list.lngPlayLoc = FormMainGetRandom();
        return;
    }
    ++list.lngPlayLoc;
    if (list.lngPlayLoc > list.lngMusicCount - 1)
        list.lngPlayLoc = 0;
}

void PlaybackController::changeTrack(VbBool booListRefresh, VbBool booTopMove)
{
    const qint32 index = m_common.list.lngPlayLoc;
    playCurrentTrack();
    m_form.FormMainRefreshPlayList(index, booListRefresh, booTopMove);
    FormMainRefreshPlayInfo(index);
}

void PlaybackController::playCurrentTrack()
{
    const auto error = m_lifecycle.emulator().CommonPlayMusic(m_common.list, m_common.list.lngPlayLoc);
    if (!error)
        return;
    // Once is enough: when the emulator is gone every later change fails too.
    std::cerr << "tunelark: " << error->message << '\n';
    if (!m_emulatorFailureShown) {
        m_emulatorFailureShown = true;
        m_lifecycle.dialogs().showExclamation(error->message);
    }
}

void PlaybackController::FormMainRefreshPlayInfo(qint32 lngForcusLoc)
{
    const MusicInfo &track = m_common.list.typMusicList.at(static_cast<std::size_t>(lngForcusLoc));
    m_form.LblGameTitle->setText(QString::fromStdString(track.strGameTitle));
    m_form.LblMusicTitle->setText(QString::fromStdString(track.strMusicTitle));
    lngMusicTime = track.lngPlayTime;
    lngPlayLimit = track.lngPlayTime > 0 ? track.lngPlayTime : m_common.settings.lngDefaultPlayTime;
    lngPlayCount = 0;
    showPlayTime();
}

qint32 PlaybackController::FormMainGetRandom()
{
    const double product = static_cast<double>(m_common.nextRandom()) * m_common.list.lngMusicCount;
    return static_cast<qint32>(std::floor(product));
}

void PlaybackController::showPlayTime()
{
    const std::string text = CommonSecToTime(lngPlayCount) + "/" + CommonSecToTime(lngMusicTime);
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
        m_lifecycle.CommonProgramEnd();
    }
    event->accept();
}
