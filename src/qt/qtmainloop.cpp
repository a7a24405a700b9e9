#include "qt/qtmainloop.h"

#include <QSocketNotifier>
#include <QTimer>

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
    auto *timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, [this, id, expired = std::move(expired)] {
        // Forgotten first: the call-back may start or cancel timers.
        const auto found = m_timers.find(id);
        if (found == m_timers.end())
            return;
        found->second->deleteLater();
        m_timers.erase(found);
        expired();
    });
    m_timers[id] = timer;
    timer->start(delay);
    return id;
}

void QtMainLoop::cancelTimer(TimerId timer)
{
    if (const auto found = m_timers.find(timer); found != m_timers.end()) {
        found->second->stop();
        found->second->deleteLater();
        m_timers.erase(found);
    }
}

void QtMainLoop::watchProcess(ProcessId pid, std::function<void()> ended)
{
    Watch &watch = m_watches[pid];
    watch.ended = std::move(ended);
    const std::intptr_t pidfd = m_platform.endSignal(pid);
    if (pidfd < 0) {
        lookAgain(pid);
        return;
    }
    watch.notifier = std::make_unique<QSocketNotifier>(static_cast<qintptr>(pidfd), QSocketNotifier::Read);
    connect(watch.notifier.get(), &QSocketNotifier::activated, this, [this, pid] { this->ended(pid); });
}

void QtMainLoop::lookAgain(ProcessId pid)
{
    m_watches[pid].fallback = startTimer(kLookInterval, [this, pid] {
        if (m_platform.hasExited(pid))
            ended(pid);
        else
            lookAgain(pid);
    });
}

void QtMainLoop::ended(ProcessId pid)
{
    const auto found = m_watches.find(pid);
    if (found == m_watches.end())
        return;
    std::function<void()> call = std::move(found->second.ended);
    // The notifier is taken out of the loop before its descriptor is closed
    // by the platform, and only deleted once its own signal has returned.
    if (found->second.notifier) {
        found->second.notifier->setEnabled(false);
        found->second.notifier.release()->deleteLater();
    }
    m_watches.erase(found);
    call();
}

void QtMainLoop::stopWatching(ProcessId pid)
{
    const auto found = m_watches.find(pid);
    if (found == m_watches.end())
        return;
    if (found->second.notifier) {
        found->second.notifier->setEnabled(false);
        found->second.notifier.release()->deleteLater();
    }
    cancelTimer(found->second.fallback);
    m_watches.erase(found);
}
