#pragma once

#include "platform/mainloop.h"
#include "player/playerview.h"

#include <chrono>
#include <optional>

// The window's busy cursor during a track change that takes long; a quick
// change goes by without the cursor flickering.
class BusyCursor
{
public:
    static constexpr std::chrono::milliseconds kDelay{500};

    BusyCursor(PlayerView &view, MainLoop &loop) : m_view(view), m_loop(loop) {}
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
    ~BusyCursor();

    void changeBegins();
    void changeEnds();

private:
    PlayerView &m_view;
    MainLoop &m_loop;
    std::optional<MainLoop::TimerId> m_timer;
    bool m_shown = false;
};
