#pragma once

#include "player/columnwidths.h"
#include "player/player.h"
#include "player/playlist.h"
#include "win32/gdi_win.h"

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

// The playlist grid: a virtual report list view whose cells are read from the
// player's Playlist when the control draws them; rows without a stored time
// shaded, queued rows in bold, one whole row selected by code. A left
// double-click activates a row; Enter, Space, Ctrl+Enter, F3 and typed
// characters go to the player as GridKeys (the list view's own incremental
// search is off); so do the row menu's 「次に演奏」 and 「前の曲」. The search text shows in
// a tip at the grid's top edge.
class PlaylistGrid
{
public:
    struct Handlers
    {
        std::function<void(int track)> activated;
        std::function<void(GridKey key, const std::string &text, int row)> keyPressed; // on the focused row
        std::function<void()> previous;
        std::function<bool(int track)> isQueued;
        std::function<bool()> canGoBack;
    };

    explicit PlaylistGrid(const Playlist &playlist) : m_playlist(playlist) {}
    PlaylistGrid(const PlaylistGrid &) = delete;
    PlaylistGrid &operator=(const PlaylistGrid &) = delete;

    // Creates the list view (and the tip) as a child of `parent`.
    void create(HWND parent, int id, HINSTANCE instance);
    HWND handle() const { return m_list; }
    void setHandlers(Handlers handlers) { m_handlers = std::move(handlers); }
    // Position and size in pixels, the font, and the DPI that column widths are converted at.
    void place(const RECT &pixels, HFONT font, UINT dpi);

    void setTrackRows(int count, const ColumnWidths &widthsTwips);
    void repaintRow(int track);
    void redrawRow(int track);
    void putRowOnTop(int track);
    void selectRow(int track);
    void showRow(int track);
    void showFindText(const std::string &text);

    // The parent's WM_NOTIFY from the list view; gives the message's result.
    LRESULT onNotify(const NMHDR &header);

private:
    static LRESULT CALLBACK listViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR self);
    void keyPressed(GridKey key, const std::string &text) const;
    void onCharacter(wchar_t unit);
    int focusedRow() const;
    void applyColumnWidths();
    LRESULT onCustomDraw(NMLVCUSTOMDRAW &draw) const;
    LRESULT onHeaderDraw(NMCUSTOMDRAW &draw) const;
    void hideFindText();
    void showRowMenu(LPARAM at);

    const Playlist &m_playlist;
    HWND m_list = nullptr;
    HWND m_tip = nullptr;
    FontHandle m_boldFont; // for queued rows, selected into the list view's DC while it draws one
    Handlers m_handlers;
    ColumnWidths m_widthsTwips;
    UINT m_dpi = USER_DEFAULT_SCREEN_DPI;
    std::wstring m_cellText; // the text last handed to the list view, alive until the next request
    std::wstring m_tipText;
    wchar_t m_highSurrogate = 0; // the first half of a character typed in two messages
};
