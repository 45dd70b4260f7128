// The sprite rasterizer: draws a frame of smoke on the CPU, with no GL,
// into an RGBA buffer, the same bytes Mesa 22.3's software renderer
// (llvmpipe) reads back for the same state: the particles as additively
// blended point sprites, with the GL's own float arithmetic from the
// vertex to the blend, fused multiply-adds exactly where that renderer
// fuses them on a CPU that has them, so the bytes do not depend on the
// machine.
//
// Fast because of what the blend allows, all exact: with saturating
// additive blending a pixel ends as min(255, its start plus the sum of
// every contribution), so the order of the sprites does not matter and
// bands of rows go to threads of their own; a pixel whose red, green and
// blue are 255 never changes again and is passed over; a sprite whose
// 8-bit alpha is 0 adds nothing and is dropped; a sprite's s coordinate
// depends on the column alone and t on the row alone, so each is worked
// out once a column or row; and the 8-bit contribution of a texel depends
// only on it, the colour and the alpha, so it comes from a small table
// for each pair.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "sim/particles.h"
#include "values/live_view.h"

// The largest sprite side the software renderer draws, in pixels.
constexpr float kLargestSprite = 255.0f;

// The sprite image, as the GL samples it: `width` x `height` RGB texels,
// rows from the first in memory (t = 0) on, repeated both ways, filtered
// bilinearly. Sides must be powers of two (CanSample); none at all draws
// untextured sprites, the sprite colour alone, as the GL does with no
// texture.
struct SpriteTexture {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;
    bool Empty() const { return rgb.empty(); }
    static bool CanSample(int width, int height);
};

// A frame: `width` x `height` pixels, 4 bytes each (red, green, blue and
// an alpha that stays 255), rows top-down.
struct RasterFrame {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;
};

class SpriteRasterizer {
public:
    // `threads` bands drawn at once (the calling thread among them); 0:
    // one for each core the process may run on.
    explicit SpriteRasterizer(int threads = 0);
    ~SpriteRasterizer();
    SpriteRasterizer(const SpriteRasterizer &) = delete;
    SpriteRasterizer &operator=(const SpriteRasterizer &) = delete;

    int Threads() const;
    void SetTexture(SpriteTexture texture);

    // Draws the first params.batchCount thousand particles of the pool as
    // the live window drew them with `live` (values/live_view.h), into a
    // frame of `width` x `height`, cleared to black first.
    void Draw(const SimulationParameters &params, const ParticlePool &pool, const LiveView &live, int width, int height,
              RasterFrame &frame);

private:
    struct State;
    std::unique_ptr<State> state_;
};
