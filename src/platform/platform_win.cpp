#include "platform/platform_win.h"

#include "platform/commandline.h"
#include "platform/systemplatform.h"
#include "util/widestring_win.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>

using std::chrono::milliseconds;

// Whole milliseconds for a Win32 timeout, below INFINITE.
static DWORD timeoutOf(milliseconds duration)
{
    return static_cast<DWORD>(std::clamp<long long>(duration.count(), 0, INFINITE - 1));
}

WinPlatform::WinPlatform() = default;

// Programs still running stay running: the emulator control decides what to end.
WinPlatform::~WinPlatform() = default;

WindowLookup WinPlatform::findWindow(std::string_view titleUtf8)
{
    const HWND window = FindWindowW(nullptr, toWide(titleUtf8).c_str());
    if (!window)
        return {};
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return {WindowSearch::Found, static_cast<WindowId>(reinterpret_cast<std::uintptr_t>(window)), owner};
}

// The command line goes to CreateProcessW whole, so the program receives it
// exactly as built; the system finds the program by the first word, adding
// ".exe" and searching the usual folders and PATH.
Result<ProcessId> WinPlatform::startProgram(std::string_view commandLine, ShowStyle style)
{
    if (commandLine.find_first_not_of(" \t") == std::string_view::npos)
        return noProgramError();
    std::wstring line = toWide(commandLine); // CreateProcessW may write into it
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(style);
    // A console client would otherwise flash a console window for each order.
    const DWORD flags = style == ShowStyle::Hidden ? CREATE_NO_WINDOW : 0;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr, &startup, &process)) {
        const DWORD error = GetLastError();
        return startError(splitWindowsCommandLine(commandLine).front(), systemMeaning(error), systemMessage(error));
    }
    OwnedHandle(process.hThread).close();
    const ProcessId pid = process.dwProcessId;
    m_exitCodes.erase(pid); // a reused id belongs to the new process
    m_handles[pid] = OwnedHandle(process.hProcess);
    return pid;
}

// CreateProcessW takes at most 32,767 characters with the closing null.
bool WinPlatform::commandLineFits(std::string_view commandLine) const
{
    return toWide(commandLine).size() < 32767;
}

HANDLE WinPlatform::handleOf(ProcessId pid, OwnedHandle &opened, DWORD access)
{
    if (const auto known = m_handles.find(pid); known != m_handles.end())
        return known->second.get();
    if (pid <= 0 || pid > MAXDWORD)
        return nullptr;
    opened = OwnedHandle(OpenProcess(access, FALSE, static_cast<DWORD>(pid)));
    return opened.get();
}

int WinPlatform::settle(ProcessId pid, HANDLE handle)
{
    DWORD code = 0;
    if (!GetExitCodeProcess(handle, &code))
        code = 0;
    if (m_handles.erase(pid) != 0)
        m_exitCodes[pid] = static_cast<int>(code);
    return static_cast<int>(code);
}

// The rights a handle needs to be waited on and to give its exit code.
static constexpr DWORD kWaitRights = SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION;

WaitResult WinPlatform::waitForExit(ProcessId pid, milliseconds limit)
{
    if (const auto known = m_exitCodes.find(pid); known != m_exitCodes.end())
        return {WaitResult::Outcome::Exited, known->second};
    OwnedHandle opened;
    const HANDLE handle = handleOf(pid, opened, kWaitRights);
    if (!handle)
        return {WaitResult::Outcome::Exited, 0}; // gone already: nothing left to wait for
    const DWORD woke = WaitForSingleObject(handle, timeoutOf(std::max(limit, milliseconds::zero())));
    if (woke == WAIT_OBJECT_0)
        return {WaitResult::Outcome::Exited, settle(pid, handle)};
    if (woke == WAIT_FAILED)
        return {WaitResult::Outcome::Exited, 0};
    return {WaitResult::Outcome::TimedOut, 0};
}

std::intptr_t WinPlatform::endSignal(ProcessId pid)
{
    const auto known = m_handles.find(pid);
    return known == m_handles.end() ? -1 : reinterpret_cast<std::intptr_t>(known->second.get());
}

bool WinPlatform::hasExited(ProcessId pid)
{
    if (m_exitCodes.count(pid))
        return true;
    OwnedHandle opened;
    const HANDLE handle = handleOf(pid, opened, kWaitRights);
    if (!handle)
        return true;
    if (WaitForSingleObject(handle, 0) != WAIT_OBJECT_0)
        return false;
    settle(pid, handle);
    return true;
}

void WinPlatform::terminate(ProcessId pid)
{
    if (hasExited(pid))
        return;
    // A process started elsewhere needs its own handle with the right to end it.
    OwnedHandle opened;
    const HANDLE handle = handleOf(pid, opened, PROCESS_TERMINATE | kWaitRights);
    if (!handle)
        return;
    TerminateProcess(handle, 0);
    // TerminateProcess only starts the ending; the wait makes sure it is gone.
    WaitForSingleObject(handle, 5000);
    settle(pid, handle);
}

milliseconds WinPlatform::now()
{
    return milliseconds(static_cast<long long>(GetTickCount64()));
}

std::unique_ptr<Platform> makeSystemPlatform()
{
    return std::make_unique<WinPlatform>();
}
