#pragma once

#include "platform/mainloop.h"

#include <QObject>

#include <map>
#include <memory>

class QSocketNotifier;

// The core's waits on Qt's one event loop: timers of the loop's own, and a
// notifier on each watched process's pidfd, so the loop sleeps until
// something happens. Nothing is allocated per timer.
class QtMainLoop : public QObject, public MainLoop
{
public:
    explicit QtMainLoop(Platform &platform);
    ~QtMainLoop() override;

    std::chrono::milliseconds now() const override;
    TimerId startTimer(std::chrono::milliseconds delay, std::function<void()> expired) override;
    void cancelTimer(TimerId timer) override;
    void watchProcess(ProcessId pid, std::function<void()> ended) override;
    void stopWatching(ProcessId pid) override;

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    struct Timer
    {
        TimerId id;
        std::function<void()> expired;
    };
    struct Watch
    {
        std::unique_ptr<QSocketNotifier> notifier;
        std::function<void()> ended;
        TimerId look = 0; // the next look for its end: without a pidfd, or once the pidfd is readable
    };
    void lookAgain(ProcessId pid, std::chrono::milliseconds delay);

    Platform &m_platform;
    TimerId m_nextTimer = 1;
    std::map<int, Timer> m_timers;     // by Qt's timer id
    std::map<TimerId, int> m_qtTimers; // Qt's timer id by ours
    std::map<ProcessId, Watch> m_watches;
};
