#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "sim/particles.h"
#include "tests/sim_support.h"

namespace {

class UpdateTest : public ::testing::Test {
protected:
    void SetUp() override { ResetSimulation(); }
    void TearDown() override { ResetSimulation(); }

    static void Fill() { FillParticlePool(gParticles, gSmoke, gParams); }
    // One frame, to the clock reading `now`; the first starts the clock.
    static void Update(std::uint32_t now) { UpdateParticles(gParticles, gSmoke, gParams, now); }
};

bool SameParticle(const Particle &a, const Particle &b) {
    return std::memcmp(&a, &b, sizeof(Particle)) == 0;
}

TEST_F(UpdateTest, TimeStepIsClampedToOneThirtiethAndTheFirstReadingStartsTheClock) {
    EXPECT_EQ(NextTimeStep(gSmoke, 1000), 0.0f);
    EXPECT_EQ(NextTimeStep(gSmoke, 1001), static_cast<float>(1 * 0.001));
    EXPECT_EQ(NextTimeStep(gSmoke, 1201), 0.033333335f);  // 200 ms gap
    EXPECT_EQ(NextTimeStep(gSmoke, 1211), static_cast<float>(10 * 0.001));
    EXPECT_EQ(NextTimeStep(gSmoke, 1211), 0.0f);
    // A clock started before the first update: its first step counts.
    ResetSmoke(gParticles, gSmoke);
    StartSmokeClock(gSmoke, 1000);
    EXPECT_EQ(NextTimeStep(gSmoke, 1016), static_cast<float>(16 * 0.001));
}

TEST_F(UpdateTest, StepJustBelowTheClampIsKept) {
    NextTimeStep(gSmoke, 0);
    EXPECT_EQ(NextTimeStep(gSmoke, 33), static_cast<float>(33 * 0.001));
    EXPECT_EQ(NextTimeStep(gSmoke, 67), 0.033333335f);  // 34 ms
}

TEST_F(UpdateTest, ClockWrapGivesTheTrueShortStep) {
    EXPECT_EQ(NextTimeStep(gSmoke, 0xFFFFFFF0u), 0.0f);
    EXPECT_EQ(NextTimeStep(gSmoke, 6u), static_cast<float>(22 * 0.001));
}

TEST_F(UpdateTest, ZeroStepStillJittersButNothingMovesOrAges) {
    Fill();
    const auto before = std::make_unique<ParticlePool>(gParticles);
    Update(500);
    for (int i = 0; i < gParams.particleCount; ++i) {
        ASSERT_EQ(gParticles[i].position.x, (*before)[i].position.x);
        ASSERT_EQ(gParticles[i].position.z, (*before)[i].position.z);
        ASSERT_EQ(gParticles[i].age, 0.0f);
    }
    int jittered = 0;
    for (int i = 0; i < gParams.particleCount; ++i)
        jittered += gParticles[i].velocity.y != (*before)[i].velocity.y;
    EXPECT_GT(jittered, gParams.particleCount / 2);
}

TEST_F(UpdateTest, ZeroCountTakesNoDrawAndChangesNothing) {
    Fill();
    SetParticleCount(gParams, 0);
    const std::uint32_t state = gSmoke.random;
    const std::uint64_t digest = PoolDigest();
    Update(0);
    Update(16);
    EXPECT_EQ(gSmoke.random, state);
    EXPECT_EQ(PoolDigest(), digest);
}

TEST_F(UpdateTest, ParticlesAtAndAboveTheCountAreLeftAlone) {
    Fill();
    SetParticleCount(gParams, 2000);
    const auto before = std::make_unique<ParticlePool>(gParticles);
    for (int frame = 0; frame < 3; ++frame) Update(20 * frame);
    EXPECT_FALSE(SameParticle(gParticles[1999], (*before)[1999]));
    for (int i = 2000; i < kPoolSize; ++i) ASSERT_TRUE(SameParticle(gParticles[i], (*before)[i])) << i;
}

TEST_F(UpdateTest, CountBeyondThePoolStopsAtItsEnd) {
    Fill();
    gParams.particleCount = 102000;
    const std::uint32_t state = gSmoke.random;
    Update(0);
    // Three draws per particle and no respawn in the first frame: exactly
    // the pool's particles were advanced.
    std::uint32_t expected = state;
    for (int i = 0; i < 3 * kPoolSize; ++i) expected = expected * kRandomMultiplier + kRandomIncrement;
    EXPECT_EQ(gSmoke.random, expected);
}

TEST_F(UpdateTest, AgeEqualToMaxAgeIsNotRespawned) {
    Fill();
    SetParticleCount(gParams, 2000);
    gParticles[4].age = gParams.maxAge;
    gParticles[6].age = std::nextafter(gParams.maxAge, 10.0f);
    const Particle keep = gParticles[4];
    Update(0);
    EXPECT_EQ(gParticles[4].age, gParams.maxAge);
    EXPECT_EQ(gParticles[4].position.y, keep.position.y);
    EXPECT_EQ(gParticles[6].age, 0.0f);
    EXPECT_EQ(gParticles[6].position.x, gParams.emitterX);
}

TEST_F(UpdateTest, StraightLineWithoutTurbulenceOrDamping) {
    gParams.turbulence = 0.0f;
    gParams.damping = 0.0f;
    gParams.maxAge = 100.0f;
    Fill();
    const Particle start = gParticles[3];
    for (int frame = 0; frame < 4; ++frame) Update(16 * frame);
    const Particle &p = gParticles[3];
    EXPECT_EQ(FloatBits(p.velocity.x), FloatBits(start.velocity.x));
    EXPECT_EQ(FloatBits(p.velocity.y), FloatBits(start.velocity.y));
    EXPECT_NEAR(p.position.x, start.position.x + start.velocity.x * 0.048f, 1e-5);
    EXPECT_NEAR(p.position.z, start.position.z + start.velocity.z * 0.048f, 1e-5);
}

TEST_F(UpdateTest, NegativeDampingGrowsTheDrift) {
    gParams.turbulence = 0.0f;
    gParams.damping = -0.2f;
    Fill();
    const float before = gParticles[0].velocity.x;
    Update(0);
    Update(30);
    EXPECT_GT(std::abs(gParticles[0].velocity.x), std::abs(before));
}

TEST_F(UpdateTest, ZeroMaxAgeRespawnsEveryParticleThatAges) {
    gParams.maxAge = 0.0f;
    Fill();
    Update(0);  // step 0: nobody ages
    for (int i = 0; i < gParams.particleCount; ++i) ASSERT_EQ(gParticles[i].age, 0.0f);
    const std::uint32_t state = gSmoke.random;
    Update(10);
    std::uint32_t expected = state;
    for (int i = 0; i < 8 * gParams.particleCount; ++i)
        expected = expected * kRandomMultiplier + kRandomIncrement;
    EXPECT_EQ(gSmoke.random, expected);  // three jitter and five spawn draws each
}

// The restructured loop must give exactly the plain loop's results, over
// respawns, odd parameters and the pool-end clamp.
TEST_F(UpdateTest, MatchesThePlainLoopBitForBit) {
    struct Setting {
        float turbulence, damping, maxAge;
        int count;
    };
    const Setting settings[] = {{0.2f, 1.0f, 3.0f, 4000},   {2.0000002f, -0.2f, 0.5f, 100000},
                                {0.0f, 3.1f, 0.0f, 6000},   {0.1f, 0.0f, 10.5f, 102000},
                                {-0.1f, 1.0f, 0.2f, 2000}};
    constexpr int kFrames = 40;
    for (const Setting &s : settings) {
        ResetSimulation();
        Fill();
        gParams.turbulence = s.turbulence;
        gParams.damping = s.damping;
        gParams.maxAge = s.maxAge;
        gParams.particleCount = s.count;

        // Gaps of 0 to 44 ms, some beyond the clamp.
        std::vector<std::uint32_t> readings = {0};
        std::vector<float> steps = {0.0f};
        for (int frame = 1; frame < kFrames; ++frame) {
            const std::uint32_t gap = static_cast<std::uint32_t>((frame * 7) % 45);
            readings.push_back(readings.back() + gap);
            const float dt = static_cast<float>(gap * 0.001);
            steps.push_back(dt >= 0.033333335f ? 0.033333335f : dt);
        }

        const auto start = std::make_unique<ParticlePool>(gParticles);
        const std::uint32_t startState = gSmoke.random;
        for (std::uint32_t now : readings) Update(now);
        const auto actual = std::make_unique<ParticlePool>(gParticles);
        const std::uint32_t actualState = gSmoke.random;

        gParticles = *start;
        gSmoke.random = startState;
        for (float dt : steps) ReferenceUpdate(dt);
        EXPECT_EQ(actualState, gSmoke.random);
        EXPECT_EQ(std::memcmp(actual->data(), gParticles.data(), sizeof(ParticlePool)), 0)
            << "turbulence " << s.turbulence << " count " << s.count;
    }
}

}  // namespace
