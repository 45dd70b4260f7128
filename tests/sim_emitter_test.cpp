#include <gtest/gtest.h>

#include <cmath>

#include "sim/particles.h"
#include "tests/sim_support.h"

namespace {

class EmitterTest : public ::testing::Test {
protected:
    void SetUp() override { ResetSimulation(); }
    void TearDown() override { ResetSimulation(); }
    static void Spawn(int index) { SpawnParticle(gParticles, index, gSmoke.random, gParams); }
};

std::uint32_t StateAfterDraws(long draws) {
    std::uint32_t state = 1;
    for (long i = 0; i < draws; ++i) state = state * kRandomMultiplier + kRandomIncrement;
    return state;
}

// The signed centre offset c of the circle through the origin of the (y, z)
// plane that holds the point: y^2 + (z - c)^2 = c^2.
double LobeCentre(const Vector3 &pos) {
    const double y = pos.y, z = pos.z;
    return (y * y + z * z) / (2.0 * z);
}

void ExpectOnLobes(float radius, int first, int last) {
    for (int i = first; i < last; ++i) {
        const Vector3 &pos = gParticles[i].position;
        ASSERT_EQ(pos.x, gParams.emitterX);
        // Near the touching point of the lobes z is too small to recover
        // the centre from (the cosine is rounded to float first).
        if (std::abs(pos.z) < 1e-3f * std::abs(radius)) continue;
        // Even indices use the circle centred at +r, odd ones at -r; a
        // negative radius swaps the sides.
        const double sign = (i % 2 == 0) ? 1.0 : -1.0;
        const double c = LobeCentre(pos) * sign / radius;
        ASSERT_GE(c, 0.5 - 2e-3) << i;
        ASSERT_LE(c, 1.0 + 2e-3) << i;
    }
}

TEST_F(EmitterTest, SpawnsOnTwoLobesByIndexParity) {
    for (int i = 0; i < 2000; ++i) Spawn(i);
    ExpectOnLobes(gParams.emitterRadius, 0, 2000);
    for (int i = 0; i < 2000; i += 2) ASSERT_GE(gParticles[i].position.z, 0.0f);
    for (int i = 1; i < 2000; i += 2) ASSERT_LE(gParticles[i].position.z, 0.0f);
}

TEST_F(EmitterTest, NegativeRadiusSwapsTheLobes) {
    gParams.emitterRadius = -0.1f;
    for (int i = 0; i < 2000; ++i) Spawn(i);
    ExpectOnLobes(gParams.emitterRadius, 0, 2000);
    for (int i = 0; i < 2000; i += 2) ASSERT_LE(gParticles[i].position.z, 0.0f);
    for (int i = 1; i < 2000; i += 2) ASSERT_GE(gParticles[i].position.z, 0.0f);
}

TEST_F(EmitterTest, ZeroRadiusSpawnsAtTheEmitterPoint) {
    gParams.emitterRadius = 0.0f;
    gParams.emitterX = 2.5f;
    for (int i = 0; i < 100; ++i) {
        Spawn(i);
        const Vector3 &pos = gParticles[i].position;
        EXPECT_EQ(pos.x, 2.5f);
        EXPECT_EQ(pos.y, 0.0f);
        EXPECT_EQ(pos.z, 0.0f);
    }
}

TEST_F(EmitterTest, SpawnTakesFiveDrawsAndSetsOnlyPositionAndVelocity) {
    Particle &p = gParticles[7];
    p.ageRate = 1.25f;
    p.age = 2.0f;
    p.color[1] = 0.75f;
    Spawn(7);
    EXPECT_EQ(gSmoke.random, StateAfterDraws(5));
    EXPECT_EQ(p.ageRate, 1.25f);
    EXPECT_EQ(p.age, 2.0f);
    EXPECT_EQ(p.color[1], 0.75f);
}

TEST_F(EmitterTest, VelocityFollowsSpreadsAndDrift) {
    gParams.spreadY = 0.0f;
    gParams.spreadZ = 0.0f;
    gParams.turbulence = 0.0f;
    gParams.driftSpeed = -3.5f;
    Spawn(0);
    EXPECT_EQ(gParticles[0].velocity.x, -3.5f);
    EXPECT_EQ(gParticles[0].velocity.y, 0.0f);
    EXPECT_EQ(gParticles[0].velocity.z, 0.0f);

    ResetSimulation();
    for (int i = 0; i < 1000; ++i) {
        Spawn(i);
        const Vector3 &v = gParticles[i].velocity;
        ASSERT_LE(std::abs(v.y), gParams.spreadY);
        ASSERT_LE(std::abs(v.z), gParams.spreadZ);
        ASSERT_LE(std::abs(v.x - gParams.driftSpeed), gParams.turbulence + 1e-6f);
    }
}

TEST_F(EmitterTest, FillGivesEveryParticleItsFirstState) {
    gParams.particleCount = 0;  // the fill covers the whole pool regardless
    FillParticlePool(gParticles, gSmoke, gParams);
    EXPECT_EQ(gSmoke.random, StateAfterDraws(6L * kPoolSize));
    for (int i = 0; i < kPoolSize; ++i) {
        const Particle &p = gParticles[i];
        ASSERT_EQ(p.age, 0.0f) << i;
        ASSERT_EQ(p.color[0], 0.5f);
        ASSERT_EQ(p.color[1], 0.5f);
        ASSERT_EQ(p.color[2], 0.5f);
        ASSERT_GE(p.ageRate, 0.5f) << i;
        ASSERT_LE(p.ageRate, 2.0f) << i;
    }
    ExpectOnLobes(gParams.emitterRadius, 0, kPoolSize);
}

}  // namespace
