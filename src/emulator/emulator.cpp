#include "emulator/emulator.h"

#include <iostream>
#include <utility>

static constexpr const char *kEmulatorCommand = "hoot.exe";
static constexpr const char *kOverrideCommand = "hootclient override";

static std::chrono::milliseconds settingMs(std::int32_t value)
{
    return std::chrono::milliseconds(value);
}

// "60" for whole seconds, "1.5" otherwise, so a short test limit still reads right.
static std::string secondsText(std::chrono::milliseconds limit)
{
    const auto ms = limit.count();
    std::string text = std::to_string(ms / 1000);
    if (const auto fraction = ms % 1000; fraction != 0) {
        std::string digits = std::to_string(1000 + fraction).substr(1);
        while (digits.back() == '0')
            digits.pop_back();
        text += '.' + digits;
    }
    return text;
}

static Error noDisplayError()
{
    return Error{"X ディスプレイに接続できないため、hoot のウィンドウを探せません。"};
}

static Error startError(const std::string &program, const std::string &reason)
{
    return Error{program + " を起動できません（" + reason + "）。"};
}

static std::string selectionLine(const Track &record)
{
    // Values go out as stored, without escaping: a quotation mark inside one
    // reaches the client as the list has it.
    return "hootclient title=\"" + record.gameTitle + "\" major=\"" + record.major + "\" sub=\""
        + record.sub + "\"";
}

// Starts the emulator and waits for its window; pid is the process that
// opened it.
static Result<void> launchEmulator(Platform &platform, const EventPumps &pumps,
                                   const EmulatorLimits &limits, ProcessId &pid, WindowId &window)
{
    const auto started = platform.now();
    StartResult start = platform.startProgram(kEmulatorCommand, ShowStyle::MinimizedWithFocus);
    if (!start.ok())
        return startError(kEmulatorCommand, start.error);

    // Under Wine a start right after an earlier Wine session has ended fails
    // now and then without a window; one more start gets past that.
    bool restarted = false;
    for (;;) {
        pumps.all();
        const WindowLookup lookup = platform.findWindow(kHootWindowTitle);
        if (lookup.search == WindowSearch::Found) {
            window = lookup.window;
            break;
        }
        if (lookup.search == WindowSearch::NoDisplay) {
            platform.terminate(start.pid);
            return noDisplayError();
        }
        if (platform.hasExited(start.pid)) {
            if (restarted)
                return Error{std::string(kEmulatorCommand) + " がウィンドウを開く前に終了しました。"};
            restarted = true;
            start = platform.startProgram(kEmulatorCommand, ShowStyle::MinimizedWithFocus);
            if (!start.ok())
                return startError(kEmulatorCommand, start.error);
            continue;
        }
        if (platform.now() - started >= limits.windowAppear) {
            platform.terminate(start.pid);
            return Error{std::string(kEmulatorCommand) + " のウィンドウが " + secondsText(limits.windowAppear)
                                 + " 秒以内に現れませんでした。"};
        }
        platform.pause(limits.windowPoll, pumps.all);
    }

    pid = start.pid;
    return {};
}

Emulator::Emulator(Platform &platform, const Settings &settings, EventPumps pumps,
                                 EmulatorLimits limits)
    : m_platform(platform)
    , m_settings(settings)
    , m_pumps(std::move(pumps))
    , m_limits(limits)
{
}

Result<void> Emulator::attach()
{
    m_state.startedProcess = -1;

    WindowLookup lookup = m_platform.findWindow(kHootWindowTitle);
    switch (lookup.search) {
    case WindowSearch::NoDisplay:
        return noDisplayError();
    case WindowSearch::Found:
        break;
    case WindowSearch::NotFound: {
        ProcessId pid = 0;
        if (Result<void> launched = launchEmulator(m_platform, m_pumps, m_limits, pid, lookup.window); !launched)
            return launched;
        // Kept before the pause, so that whatever fails from here on, the
        // caller's release still ends the emulator Tunelark started.
        m_state.startedProcess = pid;
        m_platform.pause(settingMs(m_settings.emulatorStartWait), m_pumps.paintOnly);
        break;
    }
    }
    return sendOverride(lookup.window);
}

Result<void> Emulator::sendOverride(WindowId window)
{
    const Result<bool> override = runClient(kOverrideCommand);
    if (!override)
        return override.error();
    m_platform.pause(settingMs(m_settings.driverStartWait), m_pumps.paintOnly);
    // An override the client failed to hand over is sent again before the next play.
    m_state.window = override.value() ? window : 0;
    m_state.lastTitle.clear();
    m_state.lastMajor.clear();
    m_state.lastSub.clear();
    return {};
}

// An emulator that the user closed and started again has a new window, which
// has had neither the override nor a game.
Result<void> Emulator::attachAgainIfReplaced()
{
    const WindowLookup lookup = m_platform.findWindow(kHootWindowTitle);
    if (lookup.search != WindowSearch::Found || lookup.window == m_state.window)
        return {};
    return sendOverride(lookup.window);
}

Result<void> Emulator::select(const Track &track)
{
    if (track.gameTitle == m_state.lastTitle && track.major == m_state.lastMajor && track.sub == m_state.lastSub)
        return {};
    const Result<bool> selection = runClient(selectionLine(track));
    if (!selection)
        return selection.error();
    m_platform.pause(settingMs(m_settings.driverStartWait), m_pumps.paintOnly);
    // A selection that did not reach the emulator is sent again with the next
    // play; remembered, it never would be.
    if (selection.value()) {
        m_state.lastTitle = track.gameTitle;
        m_state.lastMajor = track.major;
        m_state.lastSub = track.sub;
    }
    return {};
}

Result<void> Emulator::play(const TrackList &store, std::int32_t index)
{
    const Track &track = store.tracks.at(static_cast<std::size_t>(index));
    if (Result<void> attached = attachAgainIfReplaced(); !attached)
        return attached;
    if (Result<void> selected = select(track); !selected)
        return selected;
    const Result<bool> played = runClient("hootclient code " + track.code.toDecimalText());
    if (!played)
        return played.error();
    return {};
}

void Emulator::release()
{
    if (m_state.startedProcess > 0)
        m_platform.terminate(m_state.startedProcess);
    m_state.startedProcess = -1;
}

Result<bool> Emulator::waitForClient(ProcessId pid, const std::string &commandLine)
{
    const WaitResult result = m_platform.waitForExit(pid, m_limits.clientRun, m_pumps.all);
    if (result.outcome == WaitResult::Outcome::TimedOut) {
        m_platform.terminate(pid);
        return Error{"hootclient が " + secondsText(m_limits.clientRun)
                     + " 秒以内に終了しなかったため、終了させました。\n（命令: " + commandLine + "）"};
    }
    if (result.exitCode == 0)
        return true;
    // A failing run is noted, not repeated now: one lost order must not stop
    // playback, and the next track change sends fresh orders anyway.
    ++m_state.failedClientRuns;
    m_state.lastClientExitCode = result.exitCode;
    std::cerr << "hootclient exited with code " << result.exitCode << ": " << commandLine << '\n';
    // Unless the emulator itself is gone: then every order fails, and the user
    // has to hear about it.
    if (m_platform.findWindow(kHootWindowTitle).search != WindowSearch::Found)
        return Error{"hoot のウィンドウが見つかりません。エミュレータが終了したようです。\n（命令: "
                     + commandLine + "）"};
    return false;
}

Result<bool> Emulator::runClient(const std::string &commandLine)
{
    const StartResult start = m_platform.startProgram(commandLine, ShowStyle::Hidden);
    if (!start.ok())
        return startError("hootclient", start.error);
    return waitForClient(start.pid, commandLine);
}
