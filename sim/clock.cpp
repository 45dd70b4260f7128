#include "sim/clock.h"

#include <chrono>

namespace {

std::uint32_t SteadyMilliseconds() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

MillisecondClock currentClock = SteadyMilliseconds;

}  // namespace

void SetMillisecondClock(MillisecondClock clock) {
    currentClock = clock ? clock : SteadyMilliseconds;
}

std::uint32_t ReadMillisecondClock() { return currentClock(); }
