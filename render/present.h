// Showing a frame drawn on the CPU: one texture upload and one quad over
// the viewport, each texel on its own pixel, so that the window shows the
// very bytes drawn; the panel and the notices are then drawn over it as
// over a frame the GL drew.
#pragma once

#include <cstdint>

// Draws `rgba` (`width` x `height` pixels, 4 bytes each, rows top-down)
// over the whole viewport, which must be that size.
void PresentFrame(const std::uint8_t *rgba, int width, int height);
