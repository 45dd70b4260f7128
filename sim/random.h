// The random source of the simulation: a 15-bit linear congruential
// generator whose state starts at 1 and is never reseeded, so every run
// draws the same sequence. The order and number of draws are part of the
// simulation's behaviour.
#pragma once

#include <array>
#include <cstdint>

constexpr std::uint32_t kRandomMultiplier = 214013u;
constexpr std::uint32_t kRandomIncrement = 2531011u;
constexpr int kRandomMax = 32767;

// Next draw, 0 to 32767.
int NextRandom();

// One draw r mapped to lo + (hi - lo) * (r / 32767). Both ends are
// reachable and the bounds need not be ordered.
float RandomRange(float lo, float hi);

// One draw modulo 360: an integer the emitter uses directly as radians.
int RandomAngle();

// The generator state; the update loop works on a local copy of it.
std::uint32_t RandomState();
void SetRandomState(std::uint32_t state);

// The draw a state yields.
inline int DrawFromState(std::uint32_t state) {
    return static_cast<int>((state >> 16) & 0x7FFFu);
}

// r / 32767 computed in double and rounded to float, for every draw r: a
// table read is much cheaper than a division per draw.
extern const std::array<float, kRandomMax + 1> kRandomUnits;

inline float RandomUnit(int draw) { return kRandomUnits[static_cast<unsigned>(draw) & 0x7FFFu]; }

// lo + (hi - lo) * unit, in double, rounded to float once.
inline float ScaleUnit(float lo, float hi, float unit) {
    const double vLo = lo;
    return static_cast<float>(vLo + (static_cast<double>(hi) - vLo) * static_cast<double>(unit));
}
