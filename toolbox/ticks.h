// The tick clock: 60 ticks a second, unsigned 32-bit, wrapping. All engine
// timing reads it through TickCount(). Tests and the command-line scanner
// drive it by hand; the desktop program reads the system's monotonic clock.
#pragma once

#include <cstdint>

using Ticks = std::uint32_t;

Ticks TickCount();

// Switches to the manual clock and sets it (tests, kestrix-scan).
void SetTickCount(Ticks now);
void AdvanceTickCount(Ticks delta);
