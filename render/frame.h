// One frame: clear, camera, one simulation step, the particles as
// additively blended point sprites in batches of 1000, buffer swap.
#pragma once

constexpr int kBatchSize = 1000;

void RenderFrame();

// Draws `batches` batches of kBatchSize particles from the start of the
// pool; batches that would reach past the pool are not drawn.
void DrawParticles(int batches);
