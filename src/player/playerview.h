#pragma once

#include "player/columnwidths.h"
#include "player/textmeasure.h"
#include "player/userdialogs.h"

#include <string>

// What the player needs from a window. Rows are track indices (0-based); the
// header row is the window's business, and the grid's cells are read from the
// player's Playlist when the window draws them. The window's message boxes
// (UserDialogs) carry its title, kWindowTitle (player/windowlayout.h).
class PlayerView : public UserDialogs
{
public:
    // The check boxes as the player's play modes are.
    virtual void showPlayModes(bool shuffle, bool loop) = 0;
    virtual void showTitles(const std::string &gameTitle, const std::string &musicTitle) = 0;
    virtual void showPlayTime(const std::string &text) = 0; // drawn before the call returns
    virtual void focusGrid() = 0;
    virtual void focusWindow() = 0;
    // Rebuilds the grid with `count` track rows and the given column widths.
    virtual void setTrackRows(int count, const ColumnWidths &widthsTwips) = 0;
    // Draws the track's row again; its last cell becomes the current cell and
    // the whole selection, as writing a row's cells one by one leaves them.
    virtual void repaintRow(int track) = 0;
    // Draws the track's row again, in bold while it is queued to play next
    // (Player::isQueued); the selection stays as it is.
    virtual void redrawRow(int track) = 0;
    // Scrolls so that the track's row is the top row, as far as the rows below allow.
    virtual void putRowOnTop(int track) = 0;
    // Selects the track's whole row, its first cell current, without scrolling.
    virtual void selectRow(int track) = 0;
    // Scrolls as little as it takes for the track's row to be seen.
    virtual void showRow(int track) = 0;
    // Shows the search text of type-to-find at the grid's top edge until
    // TrackFinder::kTypingPause has passed without another call.
    virtual void showFindText(const std::string &text) = 0;
    virtual void beep() = 0; // the system's sound for "not found"
    virtual void showWindow() = 0; // visible and repainted before the call returns
    virtual void setBusy(bool busy) = 0; // the busy cursor over the window, or the usual one
    virtual TextMeasure &textMeasure() = 0;
    virtual void endProgram() = 0; // the run is over: the window goes away and the main loop ends
};
