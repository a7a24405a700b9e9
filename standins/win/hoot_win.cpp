// Stand-in for the sound-hardware emulator on Windows: a plain Win32 window
// with the emulator's title that takes orders from the stand-in client
// (WM_COPYDATA, see order.h) and shows the selected game, the code playing and
// every order received. It runs until it is terminated or its window is closed.

#include "order.h"

#include "platform/commandline.h"
#include "emulator/emulator.h"
#include "util/widestring_win.h"

#include <windows.h>

#include <string>
#include <vector>

static constexpr const wchar_t *kWindowClass = L"TunelarkHootStandin";
static constexpr int kStatusId = 1;
static constexpr int kOrdersId = 2;
static constexpr int kStatusHeight = 40;

struct EmulatorView
{
    std::wstring game;
    std::wstring major;
    std::wstring sub;
    std::wstring code;
};

static EmulatorView g_view; // one window per process: its state lives as long as the program

static std::vector<std::string> splitOrder(const char *data, std::size_t size)
{
    std::vector<std::string> arguments;
    std::size_t start = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\0') {
            arguments.emplace_back(data + start, i - start);
            start = i + 1;
        }
    }
    return arguments;
}

static void takeOrder(HWND window, const std::vector<std::string> &arguments)
{
    std::vector<std::string> line{"hootclient"};
    line.insert(line.end(), arguments.begin(), arguments.end());
    HWND orders = GetDlgItem(window, kOrdersId);
    const LRESULT row = SendMessageW(orders, LB_ADDSTRING, 0,
                                     reinterpret_cast<LPARAM>(toWide(joinWindowsCommandLine(line)).c_str()));
    SendMessageW(orders, LB_SETTOPINDEX, static_cast<WPARAM>(row), 0);

    if (arguments.size() >= 2 && arguments[0] == "code") {
        g_view.code = toWide(arguments[1]);
    } else {
        for (const std::string &argument : arguments) {
            const auto valueAfter = [&](const char *key) { return toWide(argument.substr(std::string(key).size())); };
            if (argument.rfind("title=", 0) == 0) {
                g_view.game = valueAfter("title=");
                g_view.code.clear();
            } else if (argument.rfind("major=", 0) == 0) {
                g_view.major = valueAfter("major=");
            } else if (argument.rfind("sub=", 0) == 0) {
                g_view.sub = valueAfter("sub=");
            }
        }
    }
    const std::wstring status = L"Game: " + g_view.game + L"   Major: " + g_view.major + L"   Sub: " + g_view.sub
                                + L"\r\nPlaying: " + g_view.code;
    SetDlgItemTextW(window, kStatusId, status.c_str());
}

static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: {
        const HINSTANCE instance = reinterpret_cast<CREATESTRUCTW *>(lParam)->hInstance;
        CreateWindowExW(0, L"STATIC", L"Game:\r\nPlaying:", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusId)), instance, nullptr);
        CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT,
                        0, 0, 0, 0, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kOrdersId)), instance, nullptr);
        return 0;
    }
    case WM_SIZE: {
        const int width = LOWORD(lParam);
        const int height = HIWORD(lParam);
        MoveWindow(GetDlgItem(window, kStatusId), 4, 4, width - 8, kStatusHeight - 8, TRUE);
        MoveWindow(GetDlgItem(window, kOrdersId), 4, kStatusHeight, width - 8, height - kStatusHeight - 4, TRUE);
        return 0;
    }
    case WM_COPYDATA: {
        const auto *data = reinterpret_cast<const COPYDATASTRUCT *>(lParam);
        if (data->dwData != kOrderTag)
            return FALSE;
        takeOrder(window, splitOrder(static_cast<const char *>(data->lpData), data->cbData));
        return TRUE;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showStyle)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&windowClass))
        return 2;

    const std::wstring title = toWide(kHootWindowTitle);
    HWND window = CreateWindowExW(0, kWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                  480, 320, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 2;
    // The style the starting program asked for (2, minimized, from Tunelark).
    ShowWindow(window, showStyle);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
