#include "emulator/emulator.h"

#include "util/message.h"

#include <utility>

static constexpr const char *kEmulatorCommand = "hoot.exe";
static constexpr const char *kOverrideCommand = "hootclient override";

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

static std::string selectionLine(const TrackView &record)
{
    // Values go out as stored, without escaping: a quotation mark inside one
    // reaches the client as the list has it.
    return "hootclient title=\"" + std::string(record.gameTitle) + "\" major=\"" + std::string(record.major)
        + "\" sub=\"" + std::string(record.sub) + "\"";
}

static std::string codeLine(const TrackView &record)
{
    return "hootclient code " + record.code.toDecimalText();
}

// Starts the emulator and waits for its window, looking for it every
// windowPoll; keeps the process that opened it.
Task<Result<void>> Emulator::launch()
{
    const auto started = m_platform.now();
    Result<ProcessId> start = m_platform.startProgram(kEmulatorCommand, ShowStyle::MinimizedWithFocus);
    if (!start)
        co_return start.error();

    // Under Wine a start right after an earlier Wine session has ended fails
    // now and then without a window; one more start gets past that.
    bool restarted = false;
    for (;;) {
        const WindowLookup lookup = m_platform.findWindow(kHootWindowTitle);
        if (lookup.search == WindowSearch::Found) {
            m_state.window = lookup.window;
            m_state.windowOwner = lookup.owner;
            break;
        }
        if (lookup.search == WindowSearch::NoDisplay) {
            m_platform.terminate(start.value());
            co_return noDisplayError();
        }
        if (m_platform.hasExited(start.value())) {
            if (restarted)
                co_return Error{std::string(kEmulatorCommand) + " がウィンドウを開く前に終了しました。"};
            restarted = true;
            start = m_platform.startProgram(kEmulatorCommand, ShowStyle::MinimizedWithFocus);
            if (!start)
                co_return start.error();
            continue;
        }
        if (m_platform.now() - started >= m_limits.windowAppear) {
            m_platform.terminate(start.value());
            co_return Error{std::string(kEmulatorCommand) + " のウィンドウが " + secondsText(m_limits.windowAppear)
                            + " 秒以内に現れませんでした。"};
        }
        co_await Pause(m_loop, m_limits.windowPoll);
    }
    // Kept before the pause that follows, so that whatever fails from here
    // on, the caller's release still ends the emulator Tunelark started.
    m_state.startedProcess = start.value();
    co_return Result<void>{};
}

Emulator::Emulator(Platform &platform, MainLoop &loop, const Settings &settings, EmulatorLimits limits)
    : m_platform(platform)
    , m_loop(loop)
    , m_settings(settings)
    , m_limits(limits)
{
}

Task<Result<void>> Emulator::attach()
{
    m_state.startedProcess = -1;

    const WindowLookup lookup = m_platform.findWindow(kHootWindowTitle);
    switch (lookup.search) {
    case WindowSearch::NoDisplay:
        co_return noDisplayError();
    case WindowSearch::Found:
        co_return co_await sendOverride(lookup);
    case WindowSearch::NotFound:
        break;
    }
    if (Result<void> launched = co_await launch(); !launched)
        co_return launched;
    co_await pause(m_settings.emulatorStartWait);
    co_return co_await sendOverride({WindowSearch::Found, m_state.window, m_state.windowOwner});
}

Task<Result<void>> Emulator::sendOverride(WindowLookup window)
{
    if (Result<void> override = co_await runClient(kOverrideCommand); !override)
        co_return override;
    co_await pause(m_settings.driverStartWait);
    m_state.window = window.window;
    m_state.windowOwner = window.owner;
    m_state.lastTitle.clear();
    m_state.lastMajor.clear();
    m_state.lastSub.clear();
    co_return Result<void>{};
}

Task<Result<void>> Emulator::select(TrackView track)
{
    if (track.gameTitle == m_state.lastTitle && track.major == m_state.lastMajor && track.sub == m_state.lastSub)
        co_return Result<void>{};
    if (Result<void> selection = co_await runClient(selectionLine(track)); !selection)
        co_return selection;
    co_await pause(m_settings.driverStartWait);
    m_state.lastTitle = track.gameTitle;
    m_state.lastMajor = track.major;
    m_state.lastSub = track.sub;
    co_return Result<void>{};
}

Task<Result<void>> Emulator::play(const TrackList &store, std::int32_t index)
{
    const TrackView track = store.track(index);
    // An emulator that the user closed and started again has a new window,
    // which has had neither the override nor a game; X11 may give it the old
    // window's id, but not the old process.
    if (const WindowLookup lookup = m_platform.findWindow(kHootWindowTitle);
        lookup.search == WindowSearch::Found
        && (lookup.window != m_state.window || lookup.owner != m_state.windowOwner)) {
        if (Result<void> attached = co_await sendOverride(lookup); !attached)
            co_return attached;
    }
    if (Result<void> selected = co_await select(track); !selected)
        co_return selected;
    co_return co_await runClient(codeLine(track));
}

bool Emulator::ordersFit(const TrackView &track) const
{
    return m_platform.commandLineFits(selectionLine(track))
        && m_platform.commandLineFits(codeLine(track));
}

void Emulator::release()
{
    if (m_state.startedProcess > 0)
        m_platform.terminate(m_state.startedProcess);
    m_state.startedProcess = -1;
}

// One client run, within the client time limit; a run that overstays is
// ended. Only the run's end counts: the client's exit codes mean nothing
// known, so a non-zero one is noted on standard error and the order counts
// as handed over, unless the emulator itself is gone.
Task<Result<void>> Emulator::runClient(std::string commandLine)
{
    const Result<ProcessId> start = m_platform.startProgram(commandLine, ShowStyle::Hidden);
    if (!start)
        co_return start.error();
    const WaitResult result = co_await ProcessEnd(m_loop, m_platform, start.value(), m_limits.clientRun);
    if (result.outcome == WaitResult::Outcome::TimedOut) {
        m_platform.terminate(start.value());
        co_return Error{"hootclient が " + secondsText(m_limits.clientRun)
                        + " 秒以内に終了しなかったため、終了させました。\n（命令: " + commandLine + "）"};
    }
    if (result.exitCode == 0)
        co_return Result<void>{};
    printMessage("hootclient exited with code " + std::to_string(result.exitCode) + ": " + commandLine);
    if (m_platform.findWindow(kHootWindowTitle).search != WindowSearch::Found)
        co_return Error{"hoot のウィンドウが見つかりません。エミュレータが終了したようです。\n（命令: " + commandLine
                        + "）"};
    co_return Result<void>{};
}
