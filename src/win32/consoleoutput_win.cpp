#include "win32/consoleoutput_win.h"

#include "util/ownedhandle_win.h"
#include "util/widestring_win.h"

#include <windows.h>

void writeToStandardStream(StandardStream stream, std::string_view utf8)
{
    if (utf8.empty())
        return;
    HANDLE handle = GetStdHandle(stream == StandardStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    // Started from a console without redirection, a GUI program has no
    // handles of its own but may write to its parent's console.
    OwnedHandle console;
    if (!handle || handle == INVALID_HANDLE_VALUE) {
        AttachConsole(ATTACH_PARENT_PROCESS);
        console = OwnedHandle(CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!console)
            return; // nobody to tell
        handle = console.get();
    }
    DWORD written = 0;
    DWORD mode = 0;
    // A console shows UTF-16 whatever its code page; files and pipes get the UTF-8 bytes.
    if (GetConsoleMode(handle, &mode)) {
        const std::wstring wide = toWide(utf8);
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    } else {
        WriteFile(handle, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    }
}
