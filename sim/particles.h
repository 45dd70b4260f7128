// The smoke: particle records, the fixed pool, the smoke's working state
// (the random source, the jitter tables and the update's clock), the
// emitter and the per-frame update. This is the simulation's chief header;
// it brings in the parameters and the random source as well.
//
// The pool and the working state are process-wide, like the parameter
// block; the code that changes them is handed them by reference, and time
// enters the update as an argument: the millisecond clock's reading.
#pragma once

#include <array>
#include <cstdint>

#include "math/vector3.h"
#include "sim/parameters.h"
#include "sim/random.h"

struct Particle {
    Vector3 position;  // world position
    Vector3 velocity;  // world units per second
    float ageRate = 0.0f;  // age gained per simulated second
    float age = 0.0f;
    float color[3] = {0.0f, 0.0f, 0.0f};  // red, green, blue
};

constexpr int kPoolSize = 100000;

using ParticlePool = std::array<Particle, kPoolSize>;

// Every particle lives for the whole run; none is created or destroyed.
extern ParticlePool gParticles;

// The per-frame jitter for every possible draw, RandomRange(-t, t) for the
// x velocity and RandomRange(-0.2t, 0.2t) for y and z: the tables turn the
// three draws of a particle into three reads. They depend on the turbulence
// alone, so they are rebuilt only when it changes.
struct JitterTables {
    std::uint32_t turbulenceBits = 0;
    bool built = false;
    std::array<float, kRandomMax + 1> x;
    std::array<float, kRandomMax + 1> yz;
};

// What the smoke carries from frame to frame besides the pool.
struct SmokeState {
    std::uint32_t random = kRandomSeed;  // the generator's state
    JitterTables jitter;
    bool clockStarted = false;      // the update has read the clock
    std::uint32_t lastReading = 0;  // the update's last clock reading, ms
};

extern SmokeState gSmoke;

// The number of pool particles the update advances and the frame draws:
// particleCount kept inside the pool whatever it holds.
int ActiveParticleCount(const SimulationParameters &params);

// Places particle `index` of the pool on the emitter with a fresh velocity,
// drawing from `random`. Even indices spawn on the positive-z lobe, odd
// ones on the negative-z lobe.
void SpawnParticle(ParticlePool &pool, int index, std::uint32_t &random, const SimulationParameters &params);

// Start-up fill: every particle of the pool, whatever particleCount is.
void FillParticlePool(ParticlePool &pool, SmokeState &smoke, const SimulationParameters &params);

// The update's clock starts at `reading`: its next step is measured from
// there. The first update starts it at its own reading when nothing has.
void StartSmokeClock(SmokeState &smoke, std::uint32_t reading);

// The time step to the clock reading `now`, in seconds, clamped to at most
// 1/30 s; 0 for the first reading. `now` becomes the last reading.
float NextTimeStep(SmokeState &smoke, std::uint32_t now);

// Advances the first particleCount particles by one frame, with the time
// step to the clock reading `now`.
void UpdateParticles(ParticlePool &pool, SmokeState &smoke, const SimulationParameters &params, std::uint32_t now);

// The state at program load: an all-zero pool and a fresh working state
// (generator state kRandomSeed, no jitter tables, an unread clock).
void ResetSmoke(ParticlePool &pool, SmokeState &smoke);
