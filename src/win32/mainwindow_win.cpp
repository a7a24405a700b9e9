#include "win32/mainwindow_win.h"

#include "player/player.h"
#include "util/message.h"
#include "util/widestring_win.h"

#include <commctrl.h>

#include <utility>

namespace {

constexpr const wchar_t *kWindowClass = L"TunelarkWindow";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int kNextHotKey = 1;
constexpr int kPreviousHotKey = 2;
// A control's id is this plus its Control: not IDOK (1) or IDCANCEL (2),
// which the dialog keys Enter and Escape send.
constexpr int kFirstControlId = 100;

struct ControlClass
{
    const wchar_t *name;
    DWORD style;
};

// Every kind but the grid, which is a list view of its own making.
ControlClass controlClass(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Button:
        return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP};
    case ControlKind::CheckBox:
        return {L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP};
    default:
        // Labels clip a long title rather than wrap it, and show "&" as it is.
        return {L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX};
    }
}

void registerWindowClass(HINSTANCE instance, WNDPROC procedure)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);
}

void redrawNow(HWND window)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

} // namespace

MainWindow::MainWindow(const TrackList &list, HINSTANCE instance, int showCommand)
    : m_playlist(list)
    , m_instance(instance)
    , m_showCommand(showCommand)
    , m_grid(m_playlist)
{
}

// Hidden until the player's first grid fill shows it. Built when first needed,
// which is after start-up has sent the emulator its first order: the client's
// run, a process of its own, overlaps building the window.
void MainWindow::build()
{
    if (std::exchange(m_built, true))
        return;
    registerWindowClass(m_instance, windowProc);
    CreateWindowExW(0, kWindowClass, toWide(kWindowTitle).c_str(), kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, m_instance, this);
    m_dpi = GetDpiForWindow(m_window);
    m_font = createWindowFont(m_dpi);
    createControls();
    layOut();
    m_overlay = MediaOverlay::start(m_window);
    if (!m_overlay) {
        m_hotKeyRegistered = RegisterHotKey(m_window, kNextHotKey, MOD_NOREPEAT, VK_MEDIA_NEXT_TRACK);
        m_previousHotKeyRegistered = RegisterHotKey(m_window, kPreviousHotKey, MOD_NOREPEAT, VK_MEDIA_PREV_TRACK);
    }
}

MainWindow::~MainWindow()
{
    if (m_window)
        DestroyWindow(m_window);
}

// Created in the table's order, which is the tab order.
void MainWindow::createControls()
{
    for (const ControlPlace &place : windowControls()) {
        const int id = kFirstControlId + static_cast<int>(place.control);
        HWND &window = m_controls[static_cast<std::size_t>(place.control)];
        if (place.kind == ControlKind::Grid) {
            m_grid.create(m_window, id, m_instance);
            window = m_grid.handle();
            continue;
        }
        const ControlClass windowClass = controlClass(place.kind);
        window = CreateWindowExW(0, windowClass.name, toWide(place.caption).c_str(),
                                 WS_CHILD | WS_VISIBLE | windowClass.style, 0, 0, 0, 0, m_window,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), m_instance, nullptr);
    }
}

void MainWindow::layOut()
{
    for (const ControlPlace &place : windowControls()) {
        const RECT pixels = pixelsOf(place.twips, m_dpi);
        if (place.kind == ControlKind::Grid) {
            m_grid.place(pixels, m_font.get(), m_dpi);
            continue;
        }
        const HWND window = handleOf(place.control);
        SetWindowPos(window, nullptr, pixels.left, pixels.top, pixels.right - pixels.left, pixels.bottom - pixels.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), FALSE);
    }
    RECT frame{0, 0, twipsToPixels(kClientWidthTwips, m_dpi), twipsToPixels(kClientHeightTwips, m_dpi)};
    AdjustWindowRectExForDpi(&frame, kWindowStyle, FALSE, 0, m_dpi);
    SetWindowPos(m_window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Moved to a screen of another resolution: the system's rectangle, every
// control at its twips again, and the font at the new size (given to the
// controls before the old one goes).
void MainWindow::onDpiChanged(UINT dpi, const RECT &suggested)
{
    m_dpi = dpi;
    m_textMeasure.reset();
    FontHandle previous = std::move(m_font);
    m_font = createWindowFont(dpi);
    SetWindowPos(m_window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    layOut();
    redrawNow(m_window);
}

void MainWindow::connectPlayer(Player &player)
{
    m_player = &player;
    m_grid.setHandlers({
        [&player](int track) { player.activateRow(track); },
        [&player](GridKey key, const std::string &text, int row) { player.gridKeyPressed(key, text, row); },
        [&player] { player.previous(); },
        [&player](int track) { return player.isQueued(track); },
        [&player] { return player.canGoBack(); },
    });
}

LRESULT CALLBACK MainWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto *self = static_cast<MainWindow *>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams);
        self->m_window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto *self = reinterpret_cast<MainWindow *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->m_window = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->handleMessage(message, wParam, lParam);
}

LRESULT MainWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND: {
        const int index = LOWORD(wParam) - kFirstControlId;
        if (HIWORD(wParam) == BN_CLICKED && index >= 0 && index < static_cast<int>(kControlCount))
            onCommand(static_cast<Control>(index));
        return 0;
    }
    case WM_NOTIFY: {
        const auto &header = *reinterpret_cast<const NMHDR *>(lParam);
        return header.hwndFrom == m_grid.handle() ? m_grid.onNotify(header) : 0;
    }
    case WM_APPCOMMAND:
        if (GET_APPCOMMAND_LPARAM(lParam) == APPCOMMAND_MEDIA_NEXTTRACK)
            onCommand(Control::Next);
        else if (GET_APPCOMMAND_LPARAM(lParam) == APPCOMMAND_MEDIA_PREVIOUSTRACK && m_player)
            m_player->previous();
        else
            break;
        return TRUE;
    case WM_HOTKEY:
        if (wParam == kNextHotKey)
            onCommand(Control::Next);
        if (wParam == kPreviousHotKey && m_player)
            m_player->previous();
        return 0;
    case WM_SETCURSOR:
        if (!m_busy)
            break;
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
    case WM_ACTIVATE:
        onActivate(LOWORD(wParam) != WA_INACTIVE);
        return 0;
    case WM_SETFOCUS:
        repaintNow(); // the window itself got the focus
        return 0;
    case WM_DPICHANGED:
        onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT *>(lParam));
        return 0;
    case WM_CLOSE:
        onClose();
        return 0;
    case WM_QUERYENDSESSION:
        return onQueryEndSession();
    case WM_ENDSESSION:
        // The session ends without our answer: the times stay beside the list.
        if (wParam && m_player && m_player->state() != Player::State::Ended)
            m_player->sessionEnds(false);
        return 0;
    case WM_DESTROY:
        m_overlay.reset(); // cleared with the window
        if (m_hotKeyRegistered)
            UnregisterHotKey(m_window, kNextHotKey);
        if (m_previousHotKeyRegistered)
            UnregisterHotKey(m_window, kPreviousHotKey);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

void MainWindow::onCommand(Control control)
{
    if (!m_player)
        return;
    const auto checked = [this](Control box) { return SendMessageW(handleOf(box), BM_GETCHECK, 0, 0) == BST_CHECKED; };
    switch (control) {
    case Control::Next:
        m_player->next();
        break;
    case Control::StoreTime:
        m_player->storeTime();
        break;
    case Control::Shuffle:
        m_player->setShuffle(checked(Control::Shuffle));
        break;
    case Control::Loop:
        m_player->setLoop(checked(Control::Loop));
        break;
    default:
        break;
    }
}

// The control that had the focus gets it back when the window is activated again.
void MainWindow::onActivate(bool active)
{
    if (!active) {
        m_focusBeforeDeactivation = GetFocus();
        return;
    }
    if (m_focusBeforeDeactivation && IsChild(m_window, m_focusBeforeDeactivation))
        SetFocus(m_focusBeforeDeactivation);
    else
        SetFocus(m_window);
}

// The player decides when the run ends (after a change, after the save
// question); the window goes with endProgram().
void MainWindow::onClose()
{
    if (!m_player || m_player->state() == Player::State::Ended)
        DestroyWindow(m_window);
    else
        m_player->requestClose();
}

void MainWindow::repaintNow()
{
    if (m_window)
        redrawNow(m_window);
}

void MainWindow::showPlayModes(bool shuffle, bool loop)
{
    SendMessageW(handleOf(Control::Shuffle), BM_SETCHECK, shuffle ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageW(handleOf(Control::Loop), BM_SETCHECK, loop ? BST_CHECKED : BST_UNCHECKED, 0);
}

void MainWindow::showTitles(const std::string &gameTitle, const std::string &musicTitle)
{
    SetWindowTextW(handleOf(Control::GameTitle), toWide(gameTitle).c_str());
    SetWindowTextW(handleOf(Control::MusicTitle), toWide(musicTitle).c_str());
}

void MainWindow::showOnMediaOverlay(const std::string &gameTitle, const std::string &musicTitle, bool canGoBack)
{
    if (m_overlay)
        m_overlay->show(gameTitle, musicTitle, canGoBack);
}

void MainWindow::showPlayTime(const std::string &text)
{
    const HWND playTime = handleOf(Control::PlayTime);
    SetWindowTextW(playTime, toWide(text).c_str());
    redrawNow(playTime);
}

void MainWindow::focusGrid()
{
    SetFocus(m_grid.handle());
}

void MainWindow::focusWindow()
{
    SetForegroundWindow(m_window);
    SetFocus(m_window);
}

void MainWindow::setTrackRows(int count, const ColumnWidths &widthsTwips)
{
    build();
    m_grid.setTrackRows(count, widthsTwips);
}

void MainWindow::redrawRow(int track)
{
    m_grid.redrawRow(track);
}

void MainWindow::repaintRow(int track)
{
    m_grid.repaintRow(track);
}

void MainWindow::putRowOnTop(int track)
{
    m_grid.putRowOnTop(track);
}

void MainWindow::selectRow(int track)
{
    m_grid.selectRow(track);
}

void MainWindow::showRow(int track)
{
    m_grid.showRow(track);
}

void MainWindow::showFindText(const std::string &text)
{
    m_grid.showFindText(text);
}

void MainWindow::beep()
{
    MessageBeep(MB_OK);
}

void MainWindow::showWindow()
{
    build();
    if (!m_shown) {
        m_shown = true;
        ShowWindow(m_window, m_showCommand);
    }
    repaintNow();
}

void MainWindow::setBusy(bool busy)
{
    m_busy = busy;
    // The cursor changes at once when it is over the window, not at the next move.
    POINT pointer{};
    GetCursorPos(&pointer);
    const HWND under = WindowFromPoint(pointer);
    if (under == m_window || IsChild(m_window, under))
        SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

TextMeasure &MainWindow::textMeasure()
{
    build();
    if (!m_textMeasure)
        m_textMeasure = std::make_unique<GdiTextMeasure>(m_font.get(), m_dpi);
    return *m_textMeasure;
}

// A message also goes to standard error, so a run started from a terminal or
// a script keeps a record of what the user was told. Before the window is
// shown a box has no owner, or it would wait behind an invisible window.
int MainWindow::messageBox(const std::string &text, UINT style)
{
    printMessage(text);
    if (!m_asking)
        return IDNO;
    const HWND owner = m_shown ? m_window : nullptr;
    return MessageBoxW(owner, toWide(text).c_str(), toWide(kWindowTitle).c_str(),
                       style | (owner ? 0 : MB_SETFOREGROUND));
}

void MainWindow::showExclamation(const std::string &text)
{
    messageBox(text, MB_ICONEXCLAMATION | MB_OK);
}

bool MainWindow::askYesNo(const std::string &text)
{
    return messageBox(text, MB_ICONQUESTION | MB_YESNO) == IDYES;
}

// The session may end once the run has: stored times not saved yet are first
// offered as a close offers them, the system told why the end waits meanwhile.
bool MainWindow::onQueryEndSession()
{
    if (!m_player || !m_player->hasUnsavedTimes() || m_player->state() == Player::State::Ended)
        return true;
    const HWND window = m_window;
    ShutdownBlockReasonCreate(window, L"演奏時間情報がまだ記録されていません。");
    m_player->sessionEnds(true);
    ShutdownBlockReasonDestroy(window);
    return m_player->state() == Player::State::Ended;
}

// The main loop ends with the player's exit code once the window has gone.
void MainWindow::endProgram()
{
    if (m_window)
        DestroyWindow(m_window);
    PostQuitMessage(m_player ? m_player->exitCode() : 0);
}
