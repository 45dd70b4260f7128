// The sprite rasterizer with no GL: however many threads draw a frame, its
// bytes are the same, frame after frame on one rasterizer. (That they are
// the GL's own bytes is the capture's test, against the software GL.)
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "raster/sprite_rasterizer.h"
#include "sim/particles.h"

namespace {

// A texture whose channels differ and whose every texel does, so that a
// wrong texel, channel or weight shows.
SpriteTexture Texture() {
    SpriteTexture texture;
    texture.width = 64;
    texture.height = 32;
    for (int i = 0; i < texture.width * texture.height; ++i)
        for (int c = 0; c < 3; ++c) texture.rgb.push_back(static_cast<std::uint8_t>((i * (c + 3) + c * 85) & 255));
    return texture;
}

TEST(RasterizerTest, EveryThreadCountDrawsTheSameBytes) {
    const auto pool = std::make_unique<ParticlePool>();
    const auto smoke = std::make_unique<SmokeState>();
    SimulationParameters params;
    SetParticleCount(params, 100000);
    params.pointSize = 40.0f;
    params.yawAngle = 30.0f;
    FillParticlePool(*pool, *smoke, params);
    std::uint32_t now = 0;
    for (int frame = 0; frame < 120; ++frame) UpdateParticles(*pool, *smoke, params, now += 16);
    const LiveView live{900, 600, true};
    RasterFrame reference, frame;
    SpriteRasterizer one(1);
    one.SetTexture(Texture());
    one.Draw(params, *pool, live, 900, 600, reference);
    std::size_t lit = 0;
    for (std::size_t i = 0; i < reference.rgba.size(); i += 4) lit += reference.rgba[i] != 0;
    ASSERT_GT(lit, reference.rgba.size() / 40) << "too little smoke to tell";
    for (const int threads : {2, 3, 7}) {
        SpriteRasterizer many(threads);
        many.SetTexture(Texture());
        for (int again = 0; again < 2; ++again) {
            many.Draw(params, *pool, live, 900, 600, frame);
            EXPECT_TRUE(frame.rgba == reference.rgba) << threads << " threads, draw " << again + 1;
        }
    }
}

}  // namespace
