// Stand-in for the emulator's command-line client on Windows: hands its
// arguments to the stand-in emulator's window and ends once the emulator has
// taken them. Records what it was started with, so tests see the command line
// exactly as the system passed it.
//
// Environment, for tests (the same switches as the Linux stand-in):
//   HOOT_STANDIN_JOURNAL  file to which each run appends one JSON line in UTF-8
//                         {"commandLine":"<GetCommandLineW()>","args":[...],"ms":<ms since the epoch>}
//                         args being the arguments after the program, as
//                         CommandLineToArgvW splits them
//   HOOT_STANDIN_DELAY_MS sleep that long before handing over
//   HOOT_STANDIN_HANG=1   never end
//   HOOT_STANDIN_EXIT=N   end with code N without handing the order over
//   HOOT_STANDIN_EXIT_AFTER=N  end with code N once the order is handed over
// Exit codes: 0 order handed over, 3 no emulator window, 4 no answer.

#include "../jsonstring.h"
#include "order.h"

#include "emulator/emulator.h"
#include "util/widestring_win.h"

#include <windows.h>
#include <shellapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

static std::optional<std::wstring> environmentValue(const wchar_t *name)
{
    const DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
    if (needed == 0)
        return std::nullopt;
    std::wstring value(needed, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), needed));
    return value;
}

static void appendToJournal(const std::wstring &path, const std::vector<std::string> &arguments)
{
    std::string line = "{\"commandLine\":" + jsonString(toUtf8(GetCommandLineW())) + ",\"args\":[";
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        if (i > 1)
            line += ',';
        line += jsonString(arguments[i]);
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::system_clock::now().time_since_epoch());
    line += "],\"ms\":" + std::to_string(ms.count()) + "}\n";
    // One append-only write: lines of clients running side by side stay whole.
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (file == INVALID_HANDLE_VALUE
        || !WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr)
        || written != line.size())
        std::fprintf(stderr, "hootclient: cannot write the journal (error %lu)\n", GetLastError());
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

int main()
{
    int count = 0;
    wchar_t **argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i)
        arguments.push_back(toUtf8(argv[i]));
    LocalFree(argv);

    if (const auto journal = environmentValue(L"HOOT_STANDIN_JOURNAL"); journal && !journal->empty())
        appendToJournal(*journal, arguments);
    if (const auto delay = environmentValue(L"HOOT_STANDIN_DELAY_MS"))
        Sleep(static_cast<DWORD>(std::wcstoul(delay->c_str(), nullptr, 10)));
    if (environmentValue(L"HOOT_STANDIN_HANG") == L"1")
        Sleep(INFINITE); // until the process is terminated
    if (const auto code = environmentValue(L"HOOT_STANDIN_EXIT"); code && !code->empty())
        return static_cast<int>(std::wcstol(code->c_str(), nullptr, 10));

    HWND emulator = FindWindowW(nullptr, toWide(kHootWindowTitle).c_str());
    if (!emulator) {
        std::fprintf(stderr, "hootclient: no emulator window is open\n");
        return 3;
    }
    std::string order;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        order += arguments[i];
        order += '\0';
    }
    COPYDATASTRUCT data{};
    data.dwData = kOrderTag;
    data.cbData = static_cast<DWORD>(order.size());
    data.lpData = order.data();
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(emulator, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 10000,
                             &answer)
        || answer != TRUE) {
        std::fprintf(stderr, "hootclient: the emulator did not take the order\n");
        return 4;
    }
    const auto after = environmentValue(L"HOOT_STANDIN_EXIT_AFTER");
    return after ? static_cast<int>(std::wcstol(after->c_str(), nullptr, 10)) : 0;
}
