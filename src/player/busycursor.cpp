#include "player/busycursor.h"

BusyCursor::~BusyCursor()
{
    if (m_timer)
        m_loop.cancelTimer(*m_timer);
}

void BusyCursor::changeBegins()
{
    m_timer = m_loop.startTimer(kDelay, [this] {
        m_timer.reset();
        m_shown = true;
        m_view.setBusy(true);
    });
}

void BusyCursor::changeEnds()
{
    if (m_timer)
        m_loop.cancelTimer(*m_timer);
    m_timer.reset();
    if (m_shown)
        m_view.setBusy(false);
    m_shown = false;
}
