// The millisecond clock the update measures its time step with.
//
// The program installs the platform's monotonic millisecond counter; tests
// install a scripted one. The counter is unsigned 32-bit and may wrap.
#pragma once

#include <cstdint>

using MillisecondClock = std::uint32_t (*)();

// Installs the clock; nullptr restores the built-in steady clock.
void SetMillisecondClock(MillisecondClock clock);

std::uint32_t ReadMillisecondClock();
