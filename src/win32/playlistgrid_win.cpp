#include "win32/playlistgrid_win.h"

#include "player/trackfinder.h"
#include "util/widestring_win.h"
#include "win32/gdi_win.h"

#include <commctrl.h>
#include <windowsx.h>

namespace {

constexpr int kHeaderMarginPixels = 2;
constexpr UINT_PTR kSubclassId = 1;
constexpr UINT_PTR kFindTipTimer = 0x544C; // apart from the list view's own timers
constexpr UINT_PTR kFindTool = 1;
enum RowMenuItem : UINT { kQueueItem = 1, kPreviousItem };

// The list view aligns its subitem 0 to the left whatever it is told, so the
// number column (right-aligned) is subitem 1, shown first. The mapping from
// grid column to subitem is its own inverse.
constexpr int kSubItemOf[Playlist::kColumns] = {1, 0, 2};
constexpr int kDisplayOrder[Playlist::kColumns] = {1, 0, 2}; // subitems, left to right

COLORREF colorRef(RgbColor rgb)
{
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

bool isControlCharacter(wchar_t unit)
{
    return unit < 0x20 || (unit >= 0x7F && unit < 0xA0);
}

// The find tip's one tool, tracked at a position of its own.
TTTOOLINFOW findTool(HWND owner, wchar_t *text)
{
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = owner;
    tool.uId = kFindTool;
    tool.lpszText = text;
    return tool;
}

// A cell's right and bottom edges, in the pen selected.
void drawCellEdges(HDC dc, const RECT &cell)
{
    const POINT edges[] = {{cell.left, cell.bottom - 1}, {cell.right - 1, cell.bottom - 1}, {cell.right - 1, cell.top - 1}};
    Polyline(dc, edges, 3);
}

} // namespace

void PlaylistGrid::create(HWND parent, int id, HINSTANCE instance)
{
    m_widthsTwips = kDefaultColumnWidthsTwips;
    m_list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, nullptr,
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL
                                 | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                             0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    ListView_SetExtendedListViewStyle(m_list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    ListView_SetBkColor(m_list, colorRef(Playlist::kOutsideColor));
    for (int subItem = 0; subItem < Playlist::kColumns; ++subItem) {
        const int column = kSubItemOf[subItem];
        std::wstring title = toWide(Playlist::headerText(column));
        LVCOLUMNW settings{};
        settings.mask = LVCF_FMT | LVCF_TEXT | LVCF_SUBITEM;
        settings.fmt = Playlist::alignment(column) == CellAlignment::Right ? LVCFMT_RIGHT : LVCFMT_LEFT;
        settings.pszText = title.data();
        settings.iSubItem = subItem;
        ListView_InsertColumn(m_list, subItem, &settings);
    }
    ListView_SetColumnOrderArray(m_list, Playlist::kColumns, const_cast<int *>(kDisplayOrder));
    SetWindowSubclass(m_list, listViewProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));

    m_tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0, 0,
                            0, parent, nullptr, instance, nullptr);
    TTTOOLINFOW tool = findTool(parent, const_cast<wchar_t *>(L""));
    SendMessageW(m_tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void PlaylistGrid::place(const RECT &pixels, HFONT font, UINT dpi)
{
    m_dpi = dpi;
    SetWindowPos(m_list, nullptr, pixels.left, pixels.top, pixels.right - pixels.left, pixels.bottom - pixels.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(m_list, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SendMessageW(m_tip, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    LOGFONTW bold{};
    GetObjectW(font, sizeof bold, &bold);
    bold.lfWeight = FW_BOLD;
    m_boldFont.reset(CreateFontIndirectW(&bold));
    applyColumnWidths();
}

void PlaylistGrid::setTrackRows(int count, const ColumnWidths &widthsTwips)
{
    m_widthsTwips = widthsTwips;
    ListView_SetItemCountEx(m_list, count, 0);
    applyColumnWidths();
}

void PlaylistGrid::applyColumnWidths()
{
    for (int column = 0; column < Playlist::kColumns; ++column)
        ListView_SetColumnWidth(m_list, kSubItemOf[column], twipsToPixels(m_widthsTwips[column], m_dpi));
}

void PlaylistGrid::repaintRow(int track)
{
    selectRow(track);
    ListView_RedrawItems(m_list, track, track);
    UpdateWindow(m_list);
}

void PlaylistGrid::redrawRow(int track)
{
    ListView_RedrawItems(m_list, track, track);
}

// The last row is brought into view first, so that bringing the track's row
// in from below the view leaves it at the top.
void PlaylistGrid::putRowOnTop(int track)
{
    ListView_EnsureVisible(m_list, ListView_GetItemCount(m_list) - 1, FALSE);
    ListView_EnsureVisible(m_list, track, FALSE);
}

// Selecting never scrolls: only putRowOnTop() and showRow() move the view.
void PlaylistGrid::selectRow(int track)
{
    constexpr UINT kBoth = LVIS_SELECTED | LVIS_FOCUSED;
    ListView_SetItemState(m_list, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(m_list, track, kBoth, kBoth);
    ListView_SetSelectionMark(m_list, track);
}

void PlaylistGrid::showRow(int track)
{
    ListView_EnsureVisible(m_list, track, FALSE);
}

int PlaylistGrid::focusedRow() const
{
    return ListView_GetNextItem(m_list, -1, LVNI_FOCUSED);
}

LRESULT PlaylistGrid::onNotify(const NMHDR &header)
{
    switch (header.code) {
    case LVN_GETDISPINFOW: {
        LVITEMW &item = reinterpret_cast<NMLVDISPINFOW &>(const_cast<NMHDR &>(header)).item;
        if ((item.mask & LVIF_TEXT) && item.iItem >= 0 && item.iItem < m_playlist.trackCount()) {
            m_cellText = toWide(m_playlist.cellText(item.iItem, kSubItemOf[item.iSubItem]));
            item.pszText = m_cellText.data();
        }
        return 0;
    }
    case NM_CUSTOMDRAW:
        return onCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW &>(const_cast<NMHDR &>(header)));
    case NM_DBLCLK: {
        // The left button's only (the right one's is NM_RDBLCLK); outside
        // the rows (the grey area) nothing plays.
        const int row = reinterpret_cast<const NMITEMACTIVATE &>(header).iItem;
        if (row >= 0 && m_handlers.activated)
            m_handlers.activated(row);
        return 0;
    }
    case NM_RETURN:
        // Wine's LVN_ITEMACTIVATE on Enter names no reliable row; the focused one is.
        keyPressed(GetKeyState(VK_CONTROL) < 0 ? GridKey::Queue : GridKey::Enter, {});
        return 0;
    case LVN_ODFINDITEMW:
        return -1; // type-to-find is ours
    default:
        return 0;
    }
}

// Rows in their shade, the current track's row highlighted even while another
// control has the focus, and light grey lines around the cells of the rows
// only (the list view's own grid lines run on through the empty area).
LRESULT PlaylistGrid::onCustomDraw(NMLVCUSTOMDRAW &draw) const
{
    const auto track = static_cast<int>(draw.nmcd.dwItemSpec);
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        if (track >= m_playlist.trackCount())
            return CDRF_DODEFAULT;
        if (ListView_GetItemState(m_list, track, LVIS_SELECTED)) {
            draw.nmcd.uItemState &= ~CDIS_SELECTED; // or the list view greys it out without the focus
            draw.clrTextBk = GetSysColor(COLOR_HIGHLIGHT);
            draw.clrText = GetSysColor(COLOR_HIGHLIGHTTEXT);
        } else {
            draw.clrTextBk = colorRef(m_playlist.shade(track));
            draw.clrText = colorRef(Playlist::kTextColor);
        }
        if (m_handlers.isQueued && m_handlers.isQueued(track) && m_boldFont) {
            // The list view puts its own font back after the row (CDRF_NEWFONT).
            SelectObject(draw.nmcd.hdc, m_boldFont.get());
            return CDRF_NEWFONT | CDRF_NOTIFYPOSTPAINT;
        }
        return CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPOSTPAINT: {
        const SelectedObject pen(draw.nmcd.hdc, GetStockObject(DC_PEN));
        SetDCPenColor(draw.nmcd.hdc, colorRef(Playlist::kGridLineColor));
        for (int subItem = 0; subItem < Playlist::kColumns; ++subItem) {
            // Subitem 0's bounds are the whole row's; its label is its cell.
            RECT cell{};
            ListView_GetSubItemRect(m_list, track, subItem, subItem == 0 ? LVIR_LABEL : LVIR_BOUNDS, &cell);
            drawCellEdges(draw.nmcd.hdc, cell);
        }
        return CDRF_DODEFAULT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

// The header row as the grid draws it: button face, the text from the left
// edge with a small margin (the header's own margins would cut it short in
// a column as wide as its text), black lines.
LRESULT PlaylistGrid::onHeaderDraw(NMCUSTOMDRAW &draw) const
{
    if (draw.dwDrawStage == CDDS_PREPAINT)
        return CDRF_NOTIFYITEMDRAW;
    if (draw.dwDrawStage != CDDS_ITEMPREPAINT)
        return CDRF_DODEFAULT;
    RECT cell = draw.rc;
    FillRect(draw.hdc, &cell, GetSysColorBrush(COLOR_BTNFACE));
    const std::wstring title = toWide(Playlist::headerText(kSubItemOf[draw.dwItemSpec]));
    SetBkMode(draw.hdc, TRANSPARENT);
    SetTextColor(draw.hdc, GetSysColor(COLOR_BTNTEXT));
    RECT text = cell;
    text.left += kHeaderMarginPixels;
    DrawTextW(draw.hdc, title.c_str(), static_cast<int>(title.size()), &text,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    const SelectedObject pen(draw.hdc, GetStockObject(BLACK_PEN));
    drawCellEdges(draw.hdc, cell);
    return CDRF_SKIPDEFAULT;
}

void PlaylistGrid::keyPressed(GridKey key, const std::string &text) const
{
    if (m_handlers.keyPressed)
        m_handlers.keyPressed(key, text, focusedRow());
}

// A space goes to the player as Space, which either plays the focused row or
// joins the search text (Enter comes as NM_RETURN); other printable
// characters are search text; control characters (Tab, Escape, Ctrl with a
// letter) do nothing.
void PlaylistGrid::onCharacter(wchar_t unit)
{
    if (unit == L' ') {
        keyPressed(GridKey::Space, " ");
        return;
    }
    if (IS_HIGH_SURROGATE(unit)) {
        m_highSurrogate = unit;
        return;
    }
    std::wstring typed(1, unit);
    if (IS_LOW_SURROGATE(unit)) {
        if (!m_highSurrogate)
            return;
        typed.insert(typed.begin(), m_highSurrogate);
    }
    m_highSurrogate = 0;
    if (!isControlCharacter(unit))
        keyPressed(GridKey::Text, toUtf8(typed));
}

// At the row clicked, or with the menu key (`at` -1) at the focused row.
// The menu's own modal loop ends before the player hears of the choice.
void PlaylistGrid::showRowMenu(LPARAM at)
{
    POINT point{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    int row = focusedRow();
    if (at == -1) {
        RECT cell{};
        ListView_GetItemRect(m_list, row, &cell, LVIR_LABEL);
        point = {cell.left, cell.bottom};
        ClientToScreen(m_list, &point);
    } else {
        LVHITTESTINFO hit{};
        hit.pt = point;
        ScreenToClient(m_list, &hit.pt);
        row = ListView_HitTest(m_list, &hit);
    }
    const HMENU menu = CreatePopupMenu();
    const bool queued = m_handlers.isQueued && m_handlers.isQueued(row);
    AppendMenuW(menu, MF_STRING | (row < 0 ? MF_GRAYED : 0) | (queued ? MF_CHECKED : 0), kQueueItem, L"次に演奏");
    const bool back = m_handlers.canGoBack && m_handlers.canGoBack();
    AppendMenuW(menu, MF_STRING | (back ? 0 : MF_GRAYED), kPreviousItem, L"前の曲");
    const auto chosen = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, point.x, point.y, 0, m_list, nullptr));
    DestroyMenu(menu);
    if (chosen == kQueueItem && m_handlers.keyPressed)
        m_handlers.keyPressed(GridKey::Queue, {}, row);
    if (chosen == kPreviousItem && m_handlers.previous)
        m_handlers.previous();
}

void PlaylistGrid::showFindText(const std::string &text)
{
    m_tipText = toWide(text);
    TTTOOLINFOW tool = findTool(GetParent(m_list), m_tipText.data());
    SendMessageW(m_tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    RECT grid{};
    GetWindowRect(m_list, &grid);
    SendMessageW(m_tip, TTM_TRACKPOSITION, 0, MAKELPARAM(static_cast<WORD>(grid.left), static_cast<WORD>(grid.top)));
    SendMessageW(m_tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    // Each call restarts the interval.
    SetTimer(m_list, kFindTipTimer, static_cast<UINT>(TrackFinder::kTypingPause.count()), nullptr);
}

void PlaylistGrid::hideFindText()
{
    KillTimer(m_list, kFindTipTimer);
    TTTOOLINFOW tool = findTool(GetParent(m_list), nullptr);
    SendMessageW(m_tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

LRESULT CALLBACK PlaylistGrid::listViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR self)
{
    auto &grid = *reinterpret_cast<PlaylistGrid *>(self);
    switch (message) {
    case WM_GETDLGCODE: {
        // Enter goes to the list view (which reports NM_RETURN), not to the
        // parent's dialog navigation.
        LRESULT code = DefSubclassProc(window, message, wParam, lParam);
        const auto *pending = reinterpret_cast<const MSG *>(lParam);
        if (pending && pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN)
            code |= DLGC_WANTALLKEYS;
        return code;
    }
    case WM_NOTIFY: {
        // The header is the list view's child: its drawing is asked of the list view.
        auto &header = *reinterpret_cast<NMHDR *>(lParam);
        if (header.code == NM_CUSTOMDRAW && header.hwndFrom == ListView_GetHeader(window))
            return grid.onHeaderDraw(reinterpret_cast<NMCUSTOMDRAW &>(header));
        break;
    }
    case WM_CONTEXTMENU:
        grid.showRowMenu(lParam);
        return 0;
    case WM_CHAR:
        grid.onCharacter(static_cast<wchar_t>(wParam));
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_F3) {
            grid.keyPressed(GetKeyState(VK_SHIFT) < 0 ? GridKey::FindPrevious : GridKey::FindNext, {});
            return 0;
        }
        break;
    case WM_TIMER:
        if (wParam == kFindTipTimer) {
            grid.hideFindText();
            return 0;
        }
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(window, listViewProc, kSubclassId);
        break;
    default:
        break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}
