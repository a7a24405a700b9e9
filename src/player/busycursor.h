#pragma once

#include "emulator/emulator.h"
#include "player/playerview.h"

#include <chrono>
#include <functional>
#include <optional>

// The window's busy cursor during a track change that takes long; a quick
// change goes by without the cursor flickering. A change waits for the
// emulator's client while pumping the window's events, and every pump looks
// at the clock first.
class BusyCursor
{
public:
    using Clock = std::function<std::chrono::milliseconds()>;
    static constexpr std::chrono::milliseconds kDelay{500};

    BusyCursor(PlayerView &view, Clock now) : m_view(view), m_now(std::move(now)) {}

    void changeBegins();
    void changeEnds();
    // Puts the cursor up once the running change has taken kDelay.
    void check();

private:
    PlayerView &m_view;
    Clock m_now;
    std::optional<std::chrono::milliseconds> m_changeBegan;
    bool m_shown = false;
};

// The window's event pumps, for the waits of the emulator control.
EventPumps eventPumpsOf(PlayerView &view, BusyCursor &busy);
