#include <gtest/gtest.h>

#include "sim/random.h"

namespace {

// The state whose next step is `after`: steps the generator backwards.
std::uint32_t StateBefore(std::uint32_t after) {
    std::uint32_t inverse = kRandomMultiplier;  // Newton: a * x == 1 (mod 2^32)
    for (int i = 0; i < 5; ++i) inverse *= 2u - kRandomMultiplier * inverse;
    return (after - kRandomIncrement) * inverse;
}

class RandomTest : public ::testing::Test {
protected:
    // Makes the next draw return `draw`.
    void PrimeDraw(int draw) { state = StateBefore(static_cast<std::uint32_t>(draw) << 16); }
    std::uint32_t state = kRandomSeed;
};

TEST_F(RandomTest, FreshGeneratorDrawsTheFixedSequence) {
    EXPECT_EQ(NextRandom(state), 41);
    EXPECT_EQ(NextRandom(state), 18467);
    EXPECT_EQ(NextRandom(state), 6334);
}

TEST_F(RandomTest, DrawsStayWithinFifteenBits) {
    for (int i = 0; i < 100000; ++i) {
        const int r = NextRandom(state);
        ASSERT_GE(r, 0);
        ASSERT_LE(r, kRandomMax);
    }
}

TEST_F(RandomTest, RangeReachesBothEnds) {
    PrimeDraw(0);
    EXPECT_EQ(RandomRange(state, 0.5f, 1.0f), 0.5f);
    PrimeDraw(kRandomMax);
    EXPECT_EQ(RandomRange(state, 0.5f, 1.0f), 1.0f);
    PrimeDraw(kRandomMax);
    EXPECT_EQ(RandomRange(state, -0.2f, 0.2f), 0.2f);
}

TEST_F(RandomTest, RangeStaysInsideOrderedAndReversedBounds) {
    for (int r = 0; r <= kRandomMax; ++r) {
        const float unit = RandomUnit(r);
        const float ordered = ScaleUnit(0.5f, 1.0f, unit);
        ASSERT_GE(ordered, 0.5f);
        ASSERT_LE(ordered, 1.0f);
        // A spread stepped below zero gives reversed bounds.
        const float reversed = ScaleUnit(0.1f, -0.1f, unit);
        ASSERT_LE(reversed, 0.1f);
        ASSERT_GE(reversed, -0.1f);
    }
    PrimeDraw(0);
    EXPECT_EQ(RandomRange(state, 0.1f, -0.1f), 0.1f);
}

TEST_F(RandomTest, UnitIsTheQuotientRoundedToFloat) {
    for (int r = 0; r <= kRandomMax; ++r)
        ASSERT_EQ(RandomUnit(r), static_cast<float>(r / 32767.0)) << r;
}

TEST_F(RandomTest, AngleIsTheDrawModulo360) {
    EXPECT_EQ(RandomAngle(state), 41);
    EXPECT_EQ(RandomAngle(state), 18467 % 360);
    PrimeDraw(kRandomMax);
    EXPECT_EQ(RandomAngle(state), kRandomMax % 360);
}

}  // namespace
