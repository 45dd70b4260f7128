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
    void TearDown() override {
        ResetSimulation();
        SetMillisecondClock(nullptr);
    }

    // Fills the pool and sets a clock whose first frame has step 0.
    void Start(std::vector<std::uint32_t> readings) {
        FillParticlePool();
        ScriptedClock::Install(std::move(readings));
    }
};

bool SameParticle(const Particle &a, const Particle &b) {
    return std::memcmp(&a, &b, sizeof(Particle)) == 0;
}

TEST_F(UpdateTest, TimeStepIsClampedToOneThirtiethAndFirstCallReadsTwice) {
    ScriptedClock::Install({1000, 1001, 1201, 1211, 1211});
    EXPECT_EQ(NextTimeStep(), static_cast<float>(1 * 0.001));
    EXPECT_EQ(ScriptedClock::reads, 2);
    EXPECT_EQ(NextTimeStep(), 0.033333335f);  // 200 ms gap
    EXPECT_EQ(NextTimeStep(), static_cast<float>(10 * 0.001));
    EXPECT_EQ(NextTimeStep(), 0.0f);
    EXPECT_EQ(ScriptedClock::reads, 5);
}

TEST_F(UpdateTest, StepJustBelowTheClampIsKept) {
    ScriptedClock::Install({0, 0, 33, 67});
    NextTimeStep();
    EXPECT_EQ(NextTimeStep(), static_cast<float>(33 * 0.001));
    EXPECT_EQ(NextTimeStep(), 0.033333335f);  // 34 ms
}

TEST_F(UpdateTest, ClockWrapGivesTheTrueShortStep) {
    ScriptedClock::Install({0xFFFFFFF0u, 0xFFFFFFF0u, 6u});
    EXPECT_EQ(NextTimeStep(), 0.0f);
    EXPECT_EQ(NextTimeStep(), static_cast<float>(22 * 0.001));
}

TEST_F(UpdateTest, ZeroStepStillJittersButNothingMovesOrAges) {
    Start({500, 500, 500});
    const auto before = std::make_unique<ParticlePool>(gParticles);
    UpdateParticles();
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
    Start({0, 0, 16, 32});
    SetParticleCount(0);
    const std::uint32_t state = RandomState();
    const std::uint64_t digest = PoolDigest();
    UpdateParticles();
    UpdateParticles();
    EXPECT_EQ(RandomState(), state);
    EXPECT_EQ(PoolDigest(), digest);
}

TEST_F(UpdateTest, ParticlesAtAndAboveTheCountAreLeftAlone) {
    Start({0, 0, 20, 40, 60});
    SetParticleCount(2000);
    const auto before = std::make_unique<ParticlePool>(gParticles);
    for (int frame = 0; frame < 3; ++frame) UpdateParticles();
    EXPECT_FALSE(SameParticle(gParticles[1999], (*before)[1999]));
    for (int i = 2000; i < kPoolSize; ++i) ASSERT_TRUE(SameParticle(gParticles[i], (*before)[i])) << i;
}

TEST_F(UpdateTest, CountBeyondThePoolStopsAtItsEnd) {
    Start({0, 0, 16});
    gParams.particleCount = 102000;
    const std::uint32_t state = RandomState();
    UpdateParticles();
    // Three draws per particle and no respawn in the first frame: exactly
    // the pool's particles were advanced.
    std::uint32_t expected = state;
    for (int i = 0; i < 3 * kPoolSize; ++i) expected = expected * kRandomMultiplier + kRandomIncrement;
    EXPECT_EQ(RandomState(), expected);
}

TEST_F(UpdateTest, AgeEqualToMaxAgeIsNotRespawned) {
    Start({0, 0, 0, 0});
    SetParticleCount(2000);
    gParticles[4].age = gParams.maxAge;
    gParticles[6].age = std::nextafter(gParams.maxAge, 10.0f);
    const Particle keep = gParticles[4];
    UpdateParticles();
    EXPECT_EQ(gParticles[4].age, gParams.maxAge);
    EXPECT_EQ(gParticles[4].position.y, keep.position.y);
    EXPECT_EQ(gParticles[6].age, 0.0f);
    EXPECT_EQ(gParticles[6].position.x, gParams.emitterX);
}

TEST_F(UpdateTest, StraightLineWithoutTurbulenceOrDamping) {
    gParams.turbulence = 0.0f;
    gParams.damping = 0.0f;
    gParams.maxAge = 100.0f;
    Start({0, 0, 16, 32, 48});
    const Particle start = gParticles[3];
    for (int frame = 0; frame < 4; ++frame) UpdateParticles();
    const Particle &p = gParticles[3];
    EXPECT_EQ(FloatBits(p.velocity.x), FloatBits(start.velocity.x));
    EXPECT_EQ(FloatBits(p.velocity.y), FloatBits(start.velocity.y));
    EXPECT_NEAR(p.position.x, start.position.x + start.velocity.x * 0.048f, 1e-5);
    EXPECT_NEAR(p.position.z, start.position.z + start.velocity.z * 0.048f, 1e-5);
}

TEST_F(UpdateTest, NegativeDampingGrowsTheDrift) {
    gParams.turbulence = 0.0f;
    gParams.damping = -0.2f;
    Start({0, 0, 30});
    const float before = gParticles[0].velocity.x;
    UpdateParticles();
    UpdateParticles();
    EXPECT_GT(std::abs(gParticles[0].velocity.x), std::abs(before));
}

TEST_F(UpdateTest, ZeroMaxAgeRespawnsEveryParticleThatAges) {
    gParams.maxAge = 0.0f;
    Start({0, 0, 10});
    UpdateParticles();  // step 0: nobody ages
    for (int i = 0; i < gParams.particleCount; ++i) ASSERT_EQ(gParticles[i].age, 0.0f);
    const std::uint32_t state = RandomState();
    UpdateParticles();
    std::uint32_t expected = state;
    for (int i = 0; i < 8 * gParams.particleCount; ++i)
        expected = expected * kRandomMultiplier + kRandomIncrement;
    EXPECT_EQ(RandomState(), expected);  // three jitter and five spawn draws each
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
        FillParticlePool();
        gParams.turbulence = s.turbulence;
        gParams.damping = s.damping;
        gParams.maxAge = s.maxAge;
        gParams.particleCount = s.count;

        // Gaps of 0 to 44 ms, some beyond the clamp.
        std::vector<std::uint32_t> readings = {0, 0};
        std::vector<float> steps = {0.0f};
        for (int frame = 1; frame < kFrames; ++frame) {
            const std::uint32_t gap = static_cast<std::uint32_t>((frame * 7) % 45);
            readings.push_back(readings.back() + gap);
            const float dt = static_cast<float>(gap * 0.001);
            steps.push_back(dt >= 0.033333335f ? 0.033333335f : dt);
        }

        const auto start = std::make_unique<ParticlePool>(gParticles);
        const std::uint32_t startState = RandomState();
        ScriptedClock::Install(readings);
        for (int frame = 0; frame < kFrames; ++frame) UpdateParticles();
        const auto actual = std::make_unique<ParticlePool>(gParticles);
        const std::uint32_t actualState = RandomState();

        gParticles = *start;
        SetRandomState(startState);
        for (float dt : steps) ReferenceUpdate(dt);
        EXPECT_EQ(actualState, RandomState());
        EXPECT_EQ(std::memcmp(actual->data(), gParticles.data(), sizeof(ParticlePool)), 0)
            << "turbulence " << s.turbulence << " count " << s.count;
    }
}

}  // namespace
