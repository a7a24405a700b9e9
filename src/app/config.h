#pragma once

#include "util/error.h"

#include <cstdint>
#include <string>

// The settings of tl.ini. Wait times below 0 are kept as 0.
struct Settings
{
    std::string iniPath;
    std::int32_t defaultPlayTime = 0;    // seconds
    std::int32_t emulatorStartWait = 0;   // milliseconds
    std::int32_t driverStartWait = 0; // milliseconds
    std::string nowPlayingFile; // UTF-8, as written: relative to tl.ini's folder or absolute; empty: none
    bool resume = false; // Resume=1: start with the track playing when the list's last run ended
};

// Reads DefaultPlayTime, HootInitWaitTime and DriverInitWaitTime from the
// section [config] of tl.ini in currentDirectory, and NowPlayingFile when it
// is there (a path in UTF-8 or, as the Windows reader delivers it,
// Shift-JIS), and Resume (0 or 1) when it is there. On failure the error's
// message names the file, the line when there is one, the key and the text
// found (tl.ini:3: DefaultPlayTime is not a whole number: "abc"); its dialog
// text says the same in Japanese for the start-up message box.
Result<Settings> readSettings(const std::string &currentDirectory);
