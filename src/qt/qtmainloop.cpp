#include "qt/qtmainloop.h"

#include <QSocketNotifier>
#include <QTimerEvent>

using std::chrono::milliseconds;

// Where the system gives no pidfd, a process's end is looked for this often.
static constexpr milliseconds kLookInterval{20};

QtMainLoop::QtMainLoop(Platform &platform) : m_platform(platform) {}

QtMainLoop::~QtMainLoop() = default;

milliseconds QtMainLoop::now() const
{
    return m_platform.now();
}

MainLoop::TimerId QtMainLoop::startTimer(milliseconds delay, std::function<void()> expired)
{
    const TimerId id = m_nextTimer++;
    const int qtTimer = QObject::startTimer(delay, Qt::PreciseTimer);
    m_timers[qtTimer] = {id, std::move(expired)};
    m_qtTimers[id] = qtTimer;
    return id;
}

void QtMainLoop::cancelTimer(TimerId timer)
{
    if (const auto found = m_qtTimers.find(timer); found != m_qtTimers.end()) {
        killTimer(found->second);
        m_timers.erase(found->second);
        m_qtTimers.erase(found);
    }
}

void QtMainLoop::timerEvent(QTimerEvent *event)
{
    const auto found = m_timers.find(event->timerId());
    if (found == m_timers.end())
        return;
    // Forgotten first: the call-back may start or cancel timers.
    killTimer(found->first);
    const std::function<void()> expired = std::move(found->second.expired);
    m_qtTimers.erase(found->second.id);
    m_timers.erase(found);
    expired();
}

void QtMainLoop::watchProcess(ProcessId pid, std::function<void()> ended)
{
    Watch &watch = m_watches[pid];
    watch.ended = std::move(ended);
    const std::intptr_t pidfd = m_platform.endSignal(pid);
    if (pidfd < 0) {
        lookAgain(pid, milliseconds::zero());
        return;
    }
    watch.notifier = std::make_unique<QSocketNotifier>(static_cast<qintptr>(pidfd), QSocketNotifier::Read);
    connect(watch.notifier.get(), &QSocketNotifier::activated, this, [this, pid] {
        // Handled from a timer of its own: the notifier may go only once its
        // own signal has returned.
        Watch &readable = m_watches.at(pid);
        readable.notifier->setEnabled(false);
        lookAgain(pid, milliseconds::zero());
    });
}

void QtMainLoop::lookAgain(ProcessId pid, milliseconds delay)
{
    m_watches.at(pid).look = startTimer(delay, [this, pid] {
        const auto found = m_watches.find(pid);
        if (!m_platform.hasExited(pid)) {
            lookAgain(pid, kLookInterval);
            return;
        }
        const std::function<void()> ended = std::move(found->second.ended);
        m_watches.erase(found);
        ended();
    });
}

void QtMainLoop::stopWatching(ProcessId pid)
{
    const auto found = m_watches.find(pid);
    if (found == m_watches.end())
        return;
    cancelTimer(found->second.look);
    m_watches.erase(found);
}
