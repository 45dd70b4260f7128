// The random source of the simulation: a 15-bit linear congruential
// generator whose state starts at kRandomSeed and is never reseeded, so
// every run draws the same sequence. The order and number of draws are part
// of the simulation's behaviour. The state is the caller's (the smoke's
// working state, sim/particles.h), handed in by reference.
#pragma once

#include <array>
#include <cstdint>

constexpr std::uint32_t kRandomSeed = 1;
constexpr std::uint32_t kRandomMultiplier = 214013u;
constexpr std::uint32_t kRandomIncrement = 2531011u;
constexpr int kRandomMax = 32767;

// The draw a state yields.
inline int DrawFromState(std::uint32_t state) {
    return static_cast<int>((state >> 16) & 0x7FFFu);
}

// Steps `state` and returns its draw, 0 to 32767.
inline int NextRandom(std::uint32_t &state) {
    state = state * kRandomMultiplier + kRandomIncrement;
    return DrawFromState(state);
}

// r / 32767 computed in double and rounded to float, for every draw r: a
// table read is much cheaper than a division per draw.
struct RandomUnitTable {
    std::array<float, kRandomMax + 1> units{};
    constexpr RandomUnitTable() {
        for (int r = 0; r <= kRandomMax; ++r)
            units[static_cast<std::size_t>(r)] = static_cast<float>(static_cast<double>(r) / static_cast<double>(kRandomMax));
    }
};
constexpr RandomUnitTable kRandomUnits{};

inline float RandomUnit(int draw) { return kRandomUnits.units[static_cast<unsigned>(draw) & 0x7FFFu]; }

// lo + (hi - lo) * unit, in double, rounded to float once.
inline float ScaleUnit(float lo, float hi, float unit) {
    const double vLo = lo;
    return static_cast<float>(vLo + (static_cast<double>(hi) - vLo) * static_cast<double>(unit));
}

// One draw r mapped to lo + (hi - lo) * (r / 32767). Both ends are
// reachable and the bounds need not be ordered.
inline float RandomRange(std::uint32_t &state, float lo, float hi) { return ScaleUnit(lo, hi, RandomUnit(NextRandom(state))); }

// One draw modulo 360: an integer the emitter uses directly as radians.
inline int RandomAngle(std::uint32_t &state) { return NextRandom(state) % 360; }
