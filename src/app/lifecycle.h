#pragma once

#include "app/playerstate.h"
#include "app/singleinstance.h"
#include "app/userdialogs.h"
#include "emulator/emulator.h"

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

    // Closes the list, asks whether to save a changed list and saves it, then
    // stops an emulator that this run started.
    void shutDown();

    Emulator &emulator() { return m_emulator; }
    UserDialogs &dialogs() { return m_dialogs; }
    QString listPath() const;

private:
    bool loadList();
    void saveList();

    PlayerState &m_player;
    UserDialogs &m_dialogs;
    std::string m_currentDirectory;
    SingleInstance m_instance;
    Emulator m_emulator;
    QFile m_listFile; // held open from loading until shut-down
};
