// Pins the whole pool after the start-up fill and after a scripted run, so
// any change to the order of draws or to a rounding shows up here.
#include <gtest/gtest.h>

#include "sim/particles.h"
#include <vector>

#include "tests/sim_support.h"

namespace {

TEST(DeterminismTest, PoolAfterFillAndScriptedRunIsPinned) {
    ResetSimulation();
    FillParticlePool(gParticles, gSmoke, gParams);
    EXPECT_EQ(PoolDigest(), 0x015ca87fb0505ed2ull) << std::hex << PoolDigest();
    EXPECT_EQ(FloatBits(gParticles[0].position.y), 0xbd18622fu) << std::hex << FloatBits(gParticles[0].position.y);

    // 400 frames at a jittery 60 Hz with one long stall, and a count change;
    // the clock started 3 ms before the first frame.
    std::vector<std::uint32_t> readings = {5003};
    for (int frame = 1; frame < 400; ++frame)
        readings.push_back(readings.back() + (frame == 200 ? 250u : 15u + frame % 4));
    StartSmokeClock(gSmoke, 5000);
    for (int frame = 0; frame < 400; ++frame) {
        if (frame == 150) SetParticleCount(gParams, 10000);
        UpdateParticles(gParticles, gSmoke, gParams, readings[static_cast<std::size_t>(frame)]);
    }
    EXPECT_EQ(gSmoke.random, 0x6fdfc8aeu) << std::hex << gSmoke.random;
    EXPECT_EQ(PoolDigest(), 0xb89b9597bdf16935ull) << std::hex << PoolDigest();

    ResetSimulation();
}

}  // namespace
