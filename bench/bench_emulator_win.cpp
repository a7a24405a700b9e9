// Cost of a track change through the emulator control on Windows with the
// Win32 stand-ins, against bare client runs, and the processor time spent
// while waiting for a slow client. The counterpart of bench_emulator on
// Linux; prints figures and asserts nothing.

#include "finishtask_win.h"
#include "median.h"

#include "emulator/emulator.h"
#include "platform/platform_win.h"
#include "win32/mediaoverlay_win.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// One client run as plainly as it can be done: start and a blocking wait.
static void bareClientRun(std::wstring line)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                       &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

// The tests' stand-in for the system's media overlay (Wine has none),
// registered for its class while this lives; it records nothing here.
class OverlayStandIn
{
public:
    OverlayStandIn()
    {
        wchar_t program[MAX_PATH];
        const std::wstring path(program, GetModuleFileNameW(nullptr, program, MAX_PATH));
        const std::wstring dll = path.substr(0, path.find_last_of(L'\\') + 1) + L"mediacontrols_standin.dll";
        HKEY key = nullptr;
        if (GetFileAttributesW(dll.c_str()) == INVALID_FILE_ATTRIBUTES ||
            RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
            return;
        m_registered = RegSetValueExW(key, L"DllPath", 0, REG_SZ, reinterpret_cast<const BYTE *>(dll.c_str()),
                                      static_cast<DWORD>((dll.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
        RegCloseKey(key);
    }
    ~OverlayStandIn()
    {
        if (m_registered)
            RegDeleteKeyW(HKEY_LOCAL_MACHINE, kKey);
    }
    OverlayStandIn(const OverlayStandIn &) = delete;
    OverlayStandIn &operator=(const OverlayStandIn &) = delete;

private:
    static constexpr const wchar_t *kKey =
        L"Software\\Microsoft\\WindowsRuntime\\ActivatableClassId\\Windows.Media.SystemMediaTransportControls";
    bool m_registered = false;
};

static double cpuSeconds()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ticks = [](const FILETIME &t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) / 1e7;
}

int main()
{
    SetEnvironmentVariableW(L"HOOT_STANDIN_JOURNAL", nullptr);
    WinPlatform platform;
    const Result<ProcessId> emulator = platform.startProgram("hoot.exe", ShowStyle::MinimizedWithFocus);
    const auto deadline = Clock::now() + 30s;
    while (emulator && platform.findWindow(kHootWindowTitle).search != WindowSearch::Found && Clock::now() < deadline)
        Sleep(20);
    if (platform.findWindow(kHootWindowTitle).search != WindowSearch::Found) {
        std::fprintf(stderr, "the stand-in emulator did not come up\n");
        return 1;
    }

    {
        Settings settings; // both pauses 0
        WinMainLoop loop(platform);
        Emulator control(platform, loop, settings);
        if (!finishTask(loop, control.attach())) {
            std::fprintf(stderr, "attach failed\n");
            return 1;
        }
        // Two games in turn: every change sends a selection and a play order.
        TrackList store;
        for (const char *title : {"Game A", "Game B"}) {
            Track record;
            record.gameTitle = title;
            record.major = "major";
            record.sub = "1";
            record.code = TrackCode::fromWhole(1).value();
            store.addRecord(record);
        }
        const OverlayStandIn standIn;
        const HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        const std::unique_ptr<MediaOverlay> overlay = MediaOverlay::start(window);
        constexpr int kRounds = 40;
        std::vector<double> changes;
        std::vector<double> withOverlay;
        std::vector<double> updates;
        std::vector<double> bare;
        int game = 0; // every play a change of game, with the overlay or without
        for (int round = 0; round < kRounds; ++round) {
            auto began = Clock::now();
            (void)finishTask(loop, control.play(store, game ^= 1));
            changes.push_back(std::chrono::duration<double, std::milli>(Clock::now() - began).count());
            if (overlay) {
                began = Clock::now();
                (void)finishTask(loop, control.play(store, game ^= 1));
                const auto update = Clock::now();
                overlay->show(std::string(store.track(game).gameTitle), "朝の港 Harbour", true);
                updates.push_back(std::chrono::duration<double, std::milli>(Clock::now() - update).count());
                withOverlay.push_back(std::chrono::duration<double, std::milli>(Clock::now() - began).count());
            }
            // The same two orders, for games of their own so the emulator
            // shows a new title each time.
            began = Clock::now();
            const std::wstring game = round % 2 ? L"D" : L"C";
            bareClientRun(L"hootclient \"title=Game " + game + L"\" major=major sub=1");
            bareClientRun(L"hootclient code 1");
            bare.push_back(std::chrono::duration<double, std::milli>(Clock::now() - began).count());
        }
        std::printf("Windows: track change (selection + play), median of %d: %.3f ms\n", kRounds, median(changes));
        std::printf("Windows: two bare start-and-wait client runs, median:   %.3f ms\n", median(bare));
        if (overlay)
            std::printf("Windows: track change and the media overlay's update (the tests' stand-in), median: %.3f ms, "
                        "%+.1f%% against the change alone; the update itself %.3f ms, %.2f%% of a change\n",
                        median(withOverlay), 100.0 * (median(withOverlay) / median(changes) - 1.0), median(updates),
                        100.0 * median(updates) / median(changes));
        else
            std::printf("Windows: no media overlay to time (mediacontrols_standin.dll not beside the bench)\n");
        if (window)
            DestroyWindow(window);
    }

    {
        SetEnvironmentVariableW(L"HOOT_STANDIN_DELAY_MS", L"2000");
        Settings settings;
        WinMainLoop loop(platform);
        Emulator control(platform, loop, settings);
        TrackList store;
        Track record;
        record.code = TrackCode::fromWhole(1).value();
        store.addRecord(record);
        const auto began = Clock::now();
        const double cpuBefore = cpuSeconds();
        const Result<void> played = finishTask(loop, control.play(store, 0));
        const double cpu = cpuSeconds() - cpuBefore;
        const double wall = std::chrono::duration<double>(Clock::now() - began).count();
        std::printf("Windows: waiting %.2f s for a slow client (%s) in the main loop: %.3f s of processor time, "
                    "%.2f%% of one core\n",
                    wall, played ? "ended" : "failed", cpu, 100.0 * cpu / wall);
        SetEnvironmentVariableW(L"HOOT_STANDIN_DELAY_MS", nullptr);
    }
    if (emulator)
        platform.terminate(emulator.value());
    return 0;
}
