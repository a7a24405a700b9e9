#pragma once

// How the Win32 stand-in client hands an order to the stand-in emulator: one
// WM_COPYDATA message to the emulator's window (found by its title), with
// dwData kOrderTag and the arguments as UTF-8, each followed by a NUL byte.
// The emulator answers TRUE once it has taken the order; SendMessage returns
// only then, so the client's end means the order has arrived.
inline constexpr unsigned long kOrderTag = 0x484F4F54; // "HOOT"
