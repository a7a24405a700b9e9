#include "player/busycursor.h"

void BusyCursor::changeBegins()
{
    m_changeBegan = m_now();
}

void BusyCursor::changeEnds()
{
    m_changeBegan.reset();
    if (m_shown)
        m_view.setBusy(false);
    m_shown = false;
}

void BusyCursor::check()
{
    if (!m_shown && m_changeBegan && m_now() - *m_changeBegan >= kDelay) {
        m_shown = true;
        m_view.setBusy(true);
    }
}

EventPumps eventPumpsOf(PlayerView &view, BusyCursor &busy)
{
    return {[&view, &busy] {
                busy.check();
                view.pumpEvents();
            },
            [&view, &busy] {
                busy.check();
                view.pumpPaintOnly();
            }};
}
