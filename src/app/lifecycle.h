#pragma once

#include "app/playerstate.h"
#include "app/singleinstance.h"
#include "app/userdialogs.h"
#include "emulator/emulator.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>

#include <string>

// The opening and closing of every run: one instance only, the settings, the
// track list, the emulator; and at the end the offer to save the list and the
// emulator stopped.
class ProgramLifecycle
{
public:
    ProgramLifecycle(PlayerState &player, Platform &platform, UserDialogs &dialogs, EventPumps pumps,
                     std::string currentDirectory, EmulatorLimits limits = {});

    // True when the program may go on: settings read, list loaded, emulator
    // ready. False when it must end now; the user has been told why, nothing
    // was written and an emulator started here has been stopped again.
    bool start();

    // Closes the list, asks whether to save a changed list and saves it (as
    // often as the user wants to try), then stops an emulator that this run
    // started.
    void shutDown();
    // True when the user asked for a save that failed and gave up: the run
    // must not end as if all went well.
    bool saveFailed() const { return m_saveFailed; }

    Emulator &emulator() { return m_emulator; }
    UserDialogs &dialogs() { return m_dialogs; }
    QString listPath() const;

private:
    bool loadList();
    void saveList();
    std::string saveQuestion() const;
    bool listChangedOnDisk() const;

    PlayerState &m_player;
    UserDialogs &m_dialogs;
    std::string m_currentDirectory;
    SingleInstance m_instance;
    Emulator m_emulator;
    QFile m_listFile; // held open from loading until shut-down
    // The list as it was read, to tell whether another program changed it.
    QByteArray m_loadedBytes;
    QDateTime m_loadedTime;
    bool m_saveFailed = false;
};
