#pragma once

#include "tracklist/track.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The three settings of tl.ini. Wait times below 0 are kept as 0.
struct Settings
{
    std::string iniPath;
    std::int32_t defaultPlayTime = 0;    // seconds
    std::int32_t emulatorStartWait = 0;   // milliseconds
    std::int32_t driverStartWait = 0; // milliseconds
};

// Why the configuration could not be read; message names the file, the key and
// the text found, e.g. "tl.ini:3: DefaultPlayTime is not a whole number: \"abc\"".
struct ConfigError
{
    std::string key;
    int lineNumber = 0; // 0 when the key (or the file) is missing
    std::string message;
    std::string messageJa; // the same for the start-up message box
};

// Reads DefaultPlayTime, HootInitWaitTime and DriverInitWaitTime from the
// section [config] of tl.ini in currentDirectory. Nothing is left undefined:
// on any failure the error is returned and settings must not be used.
std::optional<ConfigError> readSettings(const std::string &currentDirectory, Settings &settings);

// One value of the section in settings.iniPath, with its comment (from the
// first ";") cut, blanks trimmed and every TAB removed. With pathFlag exactly
// true a relative value is made absolute against currentDirectory.
std::string iniString(const Settings &settings, const std::string &currentDirectory,
                               std::string_view section, std::string_view key, bool pathFlag);

// The locale-free text-to-integer conversion of the settings: blanks, an
// optional sign, digits, an optional "." fraction rounded to the nearest whole
// number with halves to the even neighbour. nullopt for an empty or
// non-numeric text or one outside the signed 32-bit range.
std::optional<std::int32_t> textToInt32(std::string_view text);
