#pragma once

#include "player/playerstate.h"
#include "storage/resumestate.h"
#include "app/singleinstance.h"
#include "storage/unsavedtimes.h"
#include "emulator/emulator.h"
#include "player/listread.h"
#include "player/userdialogs.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>

// The opening and closing of every run: one instance only, the settings, the
// track list, the emulator; and at the end the offer to save the list and the
// emulator stopped.
class ProgramLifecycle
{
public:
    ProgramLifecycle(PlayerState &player, Platform &platform, MainLoop &loop, UserDialogs &dialogs,
                     std::string currentDirectory, EmulatorLimits limits = {});

    // Ends with true when the program may go on: settings read, list loaded,
    // emulator ready. False when it must end now; the user has been told why,
    // nothing was written and an emulator started here has been stopped again.
    Task<bool> start();
    // What loading the list has to tell the user (lines it could not read or
    // read differently), once; empty when nothing. It is shown over the
    // window once the first track has been ordered, so it holds nothing back.
    std::string takeLoadMessage() { return std::exchange(m_loadMessage, {}); }

    // Closes the list, asks whether to save a changed list and saves it (as
    // often as the user wants to try), then stops an emulator that this run
    // started.
    void shutDown();
    // True when the user asked for a save that failed and gave up: the run
    // must not end as if all went well.
    bool saveFailed() const { return m_saveFailed; }
    // A time was stored on `track`: it is kept beside the list until saved.
    void keepStoredTime(std::int32_t track);
    // With Resume=1, the track that was playing when the list's last run
    // ended, read at start-up; otherwise, or when it is gone, nullopt.
    std::optional<std::int32_t> resumedTrack() const { return m_resumedTrack; }
    // The list's current track has started: with Resume=1 it is remembered.
    void trackStarted();
    // The run ends with nobody to answer (a signal, the session's end): the
    // questions count as No, yet the times not saved stay for the next start.
    void endUnattended() { m_unattended = true; }

    Emulator &emulator() { return m_emulator; }
    UserDialogs &dialogs() { return m_dialogs; }
    std::string listPath() const;
    // Start-up takes the list from this read, begun earlier, rather than
    // reading the file itself.
    void takeListReadAhead(std::future<Result<ListRead>> read) { m_listAhead = std::move(read); }

private:
    bool loadList();
    void offerUnsavedTimes();
    void saveList();
    std::string saveQuestion() const;
    bool listChangedOnDisk() const;

    PlayerState &m_player;
    UserDialogs &m_dialogs;
    std::string m_currentDirectory;
    SingleInstance m_instance;
    Emulator m_emulator;
    std::future<Result<ListRead>> m_listAhead;
    // Held open from loading until shut-down.
    FileHandle m_listFile{nullptr, &std::fclose};
    // The list as it was read, to tell whether another program changed it.
    std::size_t m_loadedSize = 0;
    std::size_t m_loadedHash = 0;
    std::filesystem::file_time_type m_loadedTime;
    UnsavedTimesFile m_unsavedTimes;
    ResumeState m_resume;
    std::optional<std::int32_t> m_resumedTrack;
    bool m_saveFailed = false;
    std::string m_loadMessage;
    bool m_unattended = false;
};
