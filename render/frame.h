// One frame: clear, camera, one simulation step, the particles as
// additively blended point sprites in batches of 1000, buffer swap.
#pragma once

constexpr int kBatchSize = 1000;

void RenderFrame();

// RenderFrame's drawing half, everything before the swap: clear, camera,
// simulation step, particles. Whoever calls it swaps the buffers after
// adding to the frame or reading it back. With `simulationMs` the
// simulation step is timed into it, in wall-clock milliseconds.
void DrawFrame(double *simulationMs = nullptr);

// Draws `batches` batches of kBatchSize particles from the start of the
// pool; batches that would reach past the pool are not drawn.
void DrawParticles(int batches);
