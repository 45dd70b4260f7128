// The smoke: particle records, the fixed pool, the emitter and the
// per-frame update. This is the simulation's chief header; it brings in the
// parameters, the random source and the clock seam as well.
#pragma once

#include <array>
#include <cstdint>

#include "math/vector3.h"
#include "sim/clock.h"
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

// The number of pool particles the update advances and the frame draws:
// particleCount kept inside the pool whatever it holds.
int ActiveParticleCount();

// Places particle `index` on the emitter with a fresh velocity. Even
// indices spawn on the positive-z lobe, odd ones on the negative-z lobe.
void SpawnParticle(int index);

// Start-up fill: every particle of the pool, whatever particleCount is.
void FillParticlePool();

// Advances the first particleCount particles by one frame, with the time
// step read from the millisecond clock.
void UpdateParticles();

// The time step of the coming update, in seconds: reads the clock (twice
// on the first call) and clamps the step to at most 1/30 s.
float NextTimeStep();

// Back to the state at program load: start values, generator state 1,
// an all-zero pool and an unread clock. The program never needs it.
void ResetSimulation();
