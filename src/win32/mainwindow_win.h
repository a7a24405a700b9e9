#pragma once

#include "player/playerview.h"
#include "player/playlist.h"
#include "player/windowlayout.h"
#include "win32/gdi_win.h"
#include "win32/mediaoverlay_win.h"
#include "win32/playlistgrid_win.h"
#include "win32/textmeasure_win.h"

#include <windows.h>

#include <array>
#include <memory>

class Player;
class TrackList;

// The one window: value labels, check boxes, buttons and the playlist grid,
// built from the shared layout (player/windowlayout.h) at the window's DPI.
// It shows what the player tells it and passes the user's input on to the
// player.
class MainWindow : public PlayerView
{
public:
    MainWindow(const TrackList &list, HINSTANCE instance, int showCommand);
    ~MainWindow() override;
    MainWindow(const MainWindow &) = delete;
    MainWindow &operator=(const MainWindow &) = delete;

    // Clicks, the grid's keys, media keys and closing go to `player` from now on.
    void connectPlayer(Player &player);
    // None until the window is built (at the first grid fill) and once it is gone.
    HWND handle() const { return m_window; }
    // The track playing, on the system's media overlay where there is one.
    void showOnMediaOverlay(const std::string &gameTitle, const std::string &musicTitle, bool canGoBack);

    void showPlayModes(bool shuffle, bool loop) override;
    void showTitles(const std::string &gameTitle, const std::string &musicTitle) override;
    void showPlayTime(const std::string &text) override;
    void focusGrid() override;
    void focusWindow() override;
    void setTrackRows(int count, const ColumnWidths &widthsTwips) override;
    void repaintRow(int track) override;
    void redrawRow(int track) override;
    void putRowOnTop(int track) override;
    void selectRow(int track) override;
    void showRow(int track) override;
    void showFindText(const std::string &text) override;
    void beep() override;
    void showWindow() override;
    void setBusy(bool busy) override;
    TextMeasure &textMeasure() override;
    void showExclamation(const std::string &text) override;
    bool askYesNo(const std::string &text) override;
    void stopAsking() override { m_asking = false; }
    void endProgram() override;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void build();
    void createControls();
    void layOut();
    void onDpiChanged(UINT dpi, const RECT &suggested);
    void onCommand(Control control);
    HWND handleOf(Control control) const { return m_controls[static_cast<std::size_t>(control)]; }
    void onActivate(bool active);
    void onClose();
    bool onQueryEndSession();
    void repaintNow();
    int messageBox(const std::string &text, UINT style);

    Playlist m_playlist;
    HINSTANCE m_instance;
    int m_showCommand;
    HWND m_window = nullptr;
    std::array<HWND, kControlCount> m_controls{}; // the grid's too, owned by m_grid
    PlaylistGrid m_grid;
    UINT m_dpi = USER_DEFAULT_SCREEN_DPI;
    FontHandle m_font;
    std::unique_ptr<GdiTextMeasure> m_textMeasure;
    Player *m_player = nullptr;
    HWND m_focusBeforeDeactivation = nullptr;
    bool m_busy = false;
    bool m_asking = true; // someone is there to answer message boxes
    bool m_built = false;
    bool m_shown = false;
    // Where the overlay runs, its Next button stands for the global hot key,
    // which then stays free for other programs.
    std::unique_ptr<MediaOverlay> m_overlay;
    bool m_hotKeyRegistered = false;
    bool m_previousHotKeyRegistered = false;
};
