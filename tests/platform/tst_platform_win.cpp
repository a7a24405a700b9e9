// The Windows platform layer and the emulator control with the Win32
// stand-ins, which the system finds next to this program.

#include "app/singleinstance.h"
#include "emulator/commandline.h"
#include "emulator/emulator.h"
#include "emulator/platform_win.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

std::wstring toWide(const std::string &utf8)
{
    if (utf8.empty())
        return {};
    std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), static_cast<int>(wide.size()));
    return wide;
}

std::string toUtf8(const std::wstring &wide)
{
    if (wide.empty())
        return {};
    std::string utf8(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr);
    return utf8;
}

// Sets an environment variable of this process, which the programs it starts
// inherit, and puts the old value back even when an assertion fails.
class ScopedEnv
{
public:
    ScopedEnv(const wchar_t *name, const wchar_t *value) : m_name(name)
    {
        wchar_t old[1024];
        const DWORD length = GetEnvironmentVariableW(name, old, 1024);
        if (length > 0 && length < 1024)
            m_previous = std::wstring(old, length);
        SetEnvironmentVariableW(name, value);
    }
    ~ScopedEnv() { SetEnvironmentVariableW(m_name.c_str(), m_previous ? m_previous->c_str() : nullptr); }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    std::wstring m_name;
    std::optional<std::wstring> m_previous;
};

// A journal file for the stand-in client in the temporary folder, removed again.
class Journal
{
public:
    Journal()
    {
        wchar_t folder[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        m_path = std::wstring(folder) + L"tst_platform_win_" + std::to_wstring(GetCurrentProcessId()) + L"_"
                 + std::to_wstring(++s_count) + L".jsonl";
        DeleteFileW(m_path.c_str());
        m_env.emplace(L"HOOT_STANDIN_JOURNAL", m_path.c_str());
    }
    ~Journal() { DeleteFileW(m_path.c_str()); }

    struct Run
    {
        std::string commandLine;
        std::vector<std::string> args;
    };
    std::vector<Run> runs() const;

private:
    static inline int s_count = 0;
    std::wstring m_path;
    std::optional<ScopedEnv> m_env;
};

// Reads one JSON string starting at the quotation mark at `pos`; the client
// escapes only quotation marks, backslashes and control characters.
std::string readJsonString(const std::string &line, std::size_t &pos)
{
    std::string text;
    for (++pos; pos < line.size() && line[pos] != '"'; ++pos) {
        if (line[pos] != '\\') {
            text += line[pos];
            continue;
        }
        ++pos;
        if (line[pos] == 'u') {
            text += static_cast<char>(std::stoi(line.substr(pos + 1, 4), nullptr, 16));
            pos += 4;
        } else {
            text += line[pos];
        }
    }
    ++pos;
    return text;
}

std::vector<Journal::Run> Journal::runs() const
{
    std::vector<Run> runs;
    std::ifstream file(std::filesystem::path(m_path), std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        Run run;
        std::size_t pos = line.find("\"commandLine\":") + 14;
        run.commandLine = readJsonString(line, pos);
        pos = line.find("\"args\":[", pos) + 8;
        while (line[pos] == '"') {
            run.args.push_back(readJsonString(line, pos));
            if (line[pos] == ',')
                ++pos;
        }
        runs.push_back(run);
    }
    return runs;
}

// Runs this thread's messages, as the window's event loop would.
void drainMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool waitForWindow(WinPlatform &platform, WindowSearch wanted, std::chrono::milliseconds limit)
{
    const auto deadline = Clock::now() + limit;
    while (platform.findWindow(kHootWindowTitle).search != wanted) {
        if (Clock::now() > deadline)
            return false;
        platform.pause(20ms, {});
    }
    return true;
}

// The stand-in emulator started by the test itself, ended with the test.
class RunningEmulator
{
public:
    explicit RunningEmulator(WinPlatform &platform) : m_platform(platform)
    {
        const StartResult start = platform.startProgram("hoot.exe", ShowStyle::MinimizedWithFocus);
        m_pid = start.pid;
        // The first Wine start of a session takes seconds.
        m_up = start.ok() && waitForWindow(platform, WindowSearch::Found, 30s);
    }
    ~RunningEmulator()
    {
        if (m_pid > 0)
            m_platform.terminate(m_pid);
        waitForWindow(m_platform, WindowSearch::NotFound, 5s);
    }
    RunningEmulator(const RunningEmulator &) = delete;
    RunningEmulator &operator=(const RunningEmulator &) = delete;

    bool up() const { return m_up; }
    ProcessId pid() const { return m_pid; }

private:
    WinPlatform &m_platform;
    ProcessId m_pid = 0;
    bool m_up = false;
};

// The orders as the stand-in emulator lists them in its window.
std::vector<std::string> shownOrders()
{
    HWND window = FindWindowW(nullptr, toWide(kHootWindowTitle).c_str());
    HWND list = window ? FindWindowExW(window, nullptr, L"LISTBOX", nullptr) : nullptr;
    std::vector<std::string> orders;
    const LRESULT count = list ? SendMessageW(list, LB_GETCOUNT, 0, 0) : 0;
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring text(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0)), L'\0');
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        orders.push_back(toUtf8(text));
    }
    return orders;
}

double cpuSeconds()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ticks = [](const FILETIME &t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) / 1e7;
}

Track track(const std::string &title, const std::string &major, const std::string &sub, std::int64_t code)
{
    Track record;
    record.gameTitle = title;
    record.major = major;
    record.sub = sub;
    record.code = TrackCode::fromWhole(code).value();
    return record;
}

const EventPumps kWindowPumps{drainMessages, drainMessages};

} // unnamed

TEST(WinPlatform, FindsOnlyTheEmulatorsWholeTitle)
{
    WinPlatform platform;
    EXPECT_EQ(platform.findWindow(kHootWindowTitle).search, WindowSearch::NotFound);
    RunningEmulator emulator(platform);
    ASSERT_TRUE(emulator.up());
    EXPECT_EQ(platform.findWindow(kHootWindowTitle).search, WindowSearch::Found);
    EXPECT_EQ(platform.findWindow("hoot... - Sound Hardware").search, WindowSearch::NotFound);
    EXPECT_EQ(platform.findWindow(std::string(kHootWindowTitle) + " ").search, WindowSearch::NotFound);
}

TEST(WinPlatform, StartFailureSaysWhy)
{
    WinPlatform platform;
    const StartResult start = platform.startProgram("tunelark-no-such-program code 1", ShowStyle::Hidden);
    EXPECT_FALSE(start.ok());
    EXPECT_EQ(start.error, "not found");
}

TEST(EmulatorControlOnWindows, LaunchedEmulatorIsEndedAtExit)
{
    WinPlatform platform;
    ASSERT_EQ(platform.findWindow(kHootWindowTitle).search, WindowSearch::NotFound);
    Journal journal;
    Settings settings;
    Emulator control(platform, settings, kWindowPumps, {30s, 10s, 50ms});

    const Result<void> attached = control.attach();
    ASSERT_TRUE(attached) << attached.error().message;
    const ProcessId pid = control.state().startedProcess;
    EXPECT_GT(pid, 0);
    EXPECT_EQ(platform.findWindow(kHootWindowTitle).search, WindowSearch::Found);
    EXPECT_EQ(shownOrders(), std::vector<std::string>{"hootclient override"});

    control.release();
    EXPECT_TRUE(platform.hasExited(pid));
    EXPECT_TRUE(waitForWindow(platform, WindowSearch::NotFound, 5s));
}

TEST(EmulatorControlOnWindows, FoundEmulatorKeepsRunningAtExit)
{
    WinPlatform platform;
    RunningEmulator emulator(platform);
    ASSERT_TRUE(emulator.up());
    Settings settings;
    {
        WinPlatform controlPlatform; // knows nothing of the emulator's start
        Emulator control(controlPlatform, settings, kWindowPumps, {30s, 10s, 50ms});
        ASSERT_TRUE(control.attach());
        EXPECT_EQ(control.state().startedProcess, -1);
        control.release();
    }
    platform.pause(300ms, {});
    EXPECT_FALSE(platform.hasExited(emulator.pid()));
    EXPECT_EQ(platform.findWindow(kHootWindowTitle).search, WindowSearch::Found);
}

struct CommandLineCase
{
    const char *name;
    Track record;
    std::vector<std::string> lines; // what the client runs of this change see
};

TEST(EmulatorControlOnWindows, ClientSeesTheCommandLineExactly)
{
    const CommandLineCase cases[] = {
        {"title with spaces", track("Foo Bar", "abc", "1", 18),
         {"hootclient title=\"Foo Bar\" major=\"abc\" sub=\"1\"", "hootclient code 18"}},
        {"Japanese text", track("ゲーム音楽 第二集", "メジャー", "サブ", 3),
         {"hootclient title=\"ゲーム音楽 第二集\" major=\"メジャー\" sub=\"サブ\"", "hootclient code 3"}},
        {"embedded quotation mark", track("Foo", "abc", "a\"b", 18),
         {"hootclient title=\"Foo\" major=\"abc\" sub=\"a\"b\"", "hootclient code 18"}},
        {"same game again: play order only", track("Foo", "abc", "a\"b", 1234), {"hootclient code 1234"}},
    };
    WinPlatform platform;
    RunningEmulator emulator(platform);
    ASSERT_TRUE(emulator.up());
    Journal journal;
    Settings settings;
    Emulator control(platform, settings, kWindowPumps, {30s, 10s, 50ms});
    ASSERT_TRUE(control.attach());
    std::vector<std::string> expected{"hootclient override"};
    TrackList store;
    for (const CommandLineCase &c : cases)
        store.addRecord(c.record);

    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].name);
        ASSERT_TRUE(control.play(store, static_cast<std::int32_t>(i)));
        expected.insert(expected.end(), cases[i].lines.begin(), cases[i].lines.end());
        const std::vector<Journal::Run> runs = journal.runs();
        ASSERT_EQ(runs.size(), expected.size());
        for (std::size_t k = expected.size() - cases[i].lines.size(); k < expected.size(); ++k) {
            EXPECT_EQ(runs[k].commandLine, expected[k]);
            // The system's own splitting agrees with the one used on Linux.
            std::vector<std::string> split = splitWindowsCommandLine(expected[k]);
            split.erase(split.begin());
            EXPECT_EQ(runs[k].args, split);
        }
    }
    EXPECT_EQ(control.state().failedClientRuns, 0);
    EXPECT_EQ(shownOrders().size(), expected.size());
}

struct WaitCase
{
    const char *name;
    bool pumpTakesMessages; // false: a message stays queued through the whole wait
    bool waitForClient;     // false: a pause of the same length
};

TEST(WinPlatform, WaitsRunThePumpWithoutSpinning)
{
    const WaitCase cases[] = {
        {"wait for a slow client", true, true},
        {"wait while a message stays queued", false, true},
        {"pause", true, false},
        {"pause while a message stays queued", false, false},
    };
    ScopedEnv slow(L"HOOT_STANDIN_DELAY_MS", L"1500");
    ScopedEnv noEmulatorNeeded(L"HOOT_STANDIN_EXIT", L"0");
    for (const WaitCase &c : cases) {
        SCOPED_TRACE(c.name);
        WinPlatform platform;
        drainMessages();
        PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
        int pumped = 0;
        const EventPump pump = [&] {
            ++pumped;
            if (c.pumpTakesMessages)
                drainMessages();
        };
        const auto began = Clock::now();
        const double cpuBefore = cpuSeconds();
        if (c.waitForClient) {
            const StartResult start = platform.startProgram("hootclient code 1", ShowStyle::Hidden);
            ASSERT_TRUE(start.ok()) << start.error;
            const WaitResult result = platform.waitForExit(start.pid, 20s, pump);
            EXPECT_EQ(result.outcome, WaitResult::Outcome::Exited);
        } else {
            platform.pause(1500ms, pump);
        }
        const double cpu = cpuSeconds() - cpuBefore;
        const double wall = std::chrono::duration<double>(Clock::now() - began).count();
        drainMessages();
        EXPECT_GE(wall, 1.4);
        // Every 10 ms at least, so the window stays alive.
        EXPECT_GE(pumped, static_cast<int>(wall * 1000 / 10 / 2));
        EXPECT_LT(cpu / wall, 0.10) << cpu << " s of processor time in " << wall << " s";
        RecordProperty(std::string(c.name) + " cpu_percent", std::to_string(100 * cpu / wall));
    }
}

TEST(EmulatorControlOnWindows, HangingClientEndsAtItsTimeLimit)
{
    ScopedEnv hang(L"HOOT_STANDIN_HANG", L"1");
    WinPlatform platform;
    Settings settings;
    Emulator control(platform, settings, kWindowPumps, {30s, 700ms, 50ms});
    const StartResult start = platform.startProgram("hootclient code 18", ShowStyle::Hidden);
    ASSERT_TRUE(start.ok()) << start.error;

    const auto began = Clock::now();
    const Result<bool> run = control.waitForClient(start.pid, "hootclient code 18");
    const auto took = Clock::now() - began;
    ASSERT_FALSE(run);
    EXPECT_NE(run.error().message.find("0.7 秒"), std::string::npos) << run.error().message;
    EXPECT_GE(took, 700ms);
    EXPECT_LT(took, 3s);
    EXPECT_TRUE(platform.hasExited(start.pid));
}

TEST(SingleInstanceOnWindows, SecondInstanceIsRefusedUntilTheFirstEnds)
{
    std::optional<SingleInstance> first(std::in_place);
    ASSERT_TRUE(first->acquire());
    SingleInstance second;
    EXPECT_FALSE(second.acquire());
    first.reset();
    SingleInstance third;
    EXPECT_TRUE(third.acquire());
}
