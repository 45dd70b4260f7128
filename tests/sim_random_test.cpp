#include <gtest/gtest.h>

#include "sim/random.h"

namespace {

// The state whose next step is `after`: steps the generator backwards.
std::uint32_t StateBefore(std::uint32_t after) {
    std::uint32_t inverse = kRandomMultiplier;  // Newton: a * x == 1 (mod 2^32)
    for (int i = 0; i < 5; ++i) inverse *= 2u - kRandomMultiplier * inverse;
    return (after - kRandomIncrement) * inverse;
}

// Makes the next draw return `draw`.
void PrimeDraw(int draw) { SetRandomState(StateBefore(static_cast<std::uint32_t>(draw) << 16)); }

class RandomTest : public ::testing::Test {
protected:
    void SetUp() override { SetRandomState(1); }
};

TEST_F(RandomTest, FreshGeneratorDrawsTheFixedSequence) {
    EXPECT_EQ(NextRandom(), 41);
    EXPECT_EQ(NextRandom(), 18467);
    EXPECT_EQ(NextRandom(), 6334);
}

TEST_F(RandomTest, DrawsStayWithinFifteenBits) {
    for (int i = 0; i < 100000; ++i) {
        const int r = NextRandom();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, kRandomMax);
    }
}

TEST_F(RandomTest, RangeReachesBothEnds) {
    PrimeDraw(0);
    EXPECT_EQ(RandomRange(0.5f, 1.0f), 0.5f);
    PrimeDraw(kRandomMax);
    EXPECT_EQ(RandomRange(0.5f, 1.0f), 1.0f);
    PrimeDraw(kRandomMax);
    EXPECT_EQ(RandomRange(-0.2f, 0.2f), 0.2f);
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
    EXPECT_EQ(RandomRange(0.1f, -0.1f), 0.1f);
}

TEST_F(RandomTest, UnitIsTheQuotientRoundedToFloat) {
    for (int r = 0; r <= kRandomMax; ++r)
        ASSERT_EQ(RandomUnit(r), static_cast<float>(r / 32767.0)) << r;
}

TEST_F(RandomTest, AngleIsTheDrawModulo360) {
    EXPECT_EQ(RandomAngle(), 41);
    EXPECT_EQ(RandomAngle(), 18467 % 360);
    PrimeDraw(kRandomMax);
    EXPECT_EQ(RandomAngle(), kRandomMax % 360);
}

}  // namespace
