// The Windows baseline of the start-up benchmark under Wine: a Win32 window
// with the player's client size (540x434) holding a report list view of three
// columns with the list's first rows (the file named by the first argument: a
// line per row, UTF-8 cells separated by tabs), each column as wide as its
// widest text. It ends when its window is closed.
#include "barewindowtitle.h"

#include <windows.h>

#include <commctrl.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

static std::wstring wide(const std::string &utf8)
{
    std::wstring text(utf8.size(), L'\0');
    text.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                                             text.data(), static_cast<int>(text.size()))));
    return text;
}

static void fillTable(HWND table, const wchar_t *rowsFile)
{
    const wchar_t *headers[] = {L"NO", L"GAME TITLE", L"MUSIC TITLE"};
    for (int column = 0; column < 3; ++column) {
        LVCOLUMNW header{};
        header.mask = LVCF_TEXT | LVCF_WIDTH;
        header.cx = 60;
        header.pszText = const_cast<wchar_t *>(headers[column]);
        ListView_InsertColumn(table, column, &header);
    }
    std::ifstream rows(rowsFile, std::ios::binary);
    std::string line;
    for (int row = 0; std::getline(rows, line); ++row) {
        std::istringstream cells(line);
        std::string cell;
        for (int column = 0; column < 3 && std::getline(cells, cell, '\t'); ++column) {
            std::wstring text = wide(cell);
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = row;
            item.iSubItem = column;
            item.pszText = text.data();
            if (column == 0)
                ListView_InsertItem(table, &item);
            else
                ListView_SetItem(table, &item);
        }
    }
    for (int column = 0; column < 3; ++column)
        ListView_SetColumnWidth(table, column, LVSCW_AUTOSIZE_USEHEADER);
}

static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"BareTableWindow";
    RegisterClassW(&windowClass);

    // A fixed-size frame around the client area, as the player has.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame{0, 0, 540, 434};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"" BARE_WINDOW_TITLE, style, CW_USEDEFAULT,
                                  CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                  instance, nullptr);
    HWND table = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                                 WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL, 0, 0, 540, 434,
                                 window, nullptr, instance, nullptr);
    ListView_SetExtendedListViewStyle(table, LVS_EX_FULLROWSELECT);
    int argc = 0;
    wchar_t **argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv && argc > 1)
        fillTable(table, argv[1]);
    LocalFree(argv);
    ShowWindow(window, show);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
