// The readout panel over the smoke, shown and hidden with F3: every tuned
// value with its keys and the frame rate, drawn with Dear ImGui in the
// top-left corner. Read-only: it takes no mouse or key input.
#pragma once

// The drawing half of the program's frame: DrawFrame (render/frame.h),
// then, while the panel is shown, the panel over the particles with the
// timings of the frames before. Every piece of GL state the frame relies
// on is as it was afterwards. While the panel is hidden nothing more is
// done, not even timing.
void DrawFrameWithReadout();

// Releases the panel's GL objects and its ImGui context, if it was ever
// shown; before the GL context goes.
void ShutdownReadout();
