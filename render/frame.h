// One frame of smoke: clear, camera, one simulation step, the particles as
// additively blended point sprites in batches of 1000. The parameter block,
// the pool and the smoke's working state are handed in; time enters as the
// clock reading of the frame.
#pragma once

#include <cstdint>

#include "sim/particles.h"

constexpr int kBatchSize = 1000;

// Everything before the swap: clear, camera, the simulation step to the
// clock reading `now`, particles. Whoever calls it swaps the buffers after
// adding to the frame or reading it back. With
// `simulationMs` the simulation step is timed into it, in wall-clock
// milliseconds.
void DrawFrame(const SimulationParameters &params, ParticlePool &pool, SmokeState &smoke, std::uint32_t now,
               double *simulationMs = nullptr);
// The same frame's drawing alone, with no simulation step: clear, camera,
// particles. The capture draws a frame again at another size with it.
void DrawSmoke(const SimulationParameters &params, const ParticlePool &pool);

// Draws `batches` batches of kBatchSize particles from the start of the
// pool; batches that would reach past the pool are not drawn.
void DrawParticles(const SimulationParameters &params, const ParticlePool &pool, int batches);
