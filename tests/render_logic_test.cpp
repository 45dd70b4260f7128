// The window-independent pieces of drawing and input: sprite alpha, the
// extension search, the key-code translation.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/sdl_platform.h"
#include "render/graphics.h"
#include "sim/particle_alpha.h"

namespace {

TEST(ParticleAlphaTest, FadeModesFollowTheAge) {
    SimulationParameters params;
    EXPECT_EQ(ParticleAlpha(2.0f, params), 0.5f);  // constantAlpha

    params.fadeIn = true;
    EXPECT_EQ(ParticleAlpha(0.0f, params), 0.1f);
    EXPECT_EQ(ParticleAlpha(3.0f, params), static_cast<float>(3.0 * 0.9f / 3.0 + 0.1f));
    EXPECT_NEAR(ParticleAlpha(3.0f, params), 1.0f, 1e-6f);

    params.fadeIn = false;
    params.fadeOut = true;
    EXPECT_EQ(ParticleAlpha(0.0f, params), 1.0f);
    EXPECT_EQ(ParticleAlpha(3.0f, params), 0.0f);
    EXPECT_EQ(ParticleAlpha(1.5f, params), 0.5f);

    params.fadeIn = true;  // both on: fade-in wins
    EXPECT_EQ(ParticleAlpha(0.0f, params), 0.1f);
}

TEST(ParticleAlphaTest, ConstantAlphaOutsideTheUnitRangeIsPassedOn) {
    SimulationParameters params;
    params.constantAlpha = -0.1f;
    EXPECT_EQ(ParticleAlpha(1.0f, params), -0.1f);
    params.constantAlpha = 1.0000001f;
    EXPECT_EQ(ParticleAlpha(1.0f, params), 1.0000001f);
}

TEST(ParticleAlphaTest, ZeroLifetimeDrawsNewbornAlpha) {
    SimulationParameters params;
    params.maxAge = 0.0f;
    params.fadeIn = true;
    EXPECT_EQ(ParticleAlpha(0.0f, params), 0.1f);
    EXPECT_EQ(ParticleAlpha(0.02f, params), 0.1f);
    params.fadeIn = false;
    params.fadeOut = true;
    EXPECT_EQ(ParticleAlpha(0.0f, params), 1.0f);
    EXPECT_TRUE(std::isfinite(ParticleAlpha(0.5f, params)));
}

TEST(ExtensionSearchTest, PlainSubstringAndNullString) {
    EXPECT_TRUE(ExtensionOffered("GL_A GL_ARB_point_parameters GL_B", "GL_ARB_point_parameters"));
    // Part of a longer name still counts.
    EXPECT_TRUE(ExtensionOffered("GL_ARB_point_parameters_extra", "GL_ARB_point_parameters"));
    EXPECT_FALSE(ExtensionOffered("GL_ARB_point_sprite", "GL_ARB_point_parameters"));
    EXPECT_FALSE(ExtensionOffered(nullptr, "GL_ARB_point_parameters"));
}

TEST(VirtualKeyTest, KeysOfTheControlsMapToTheirCodes) {
    EXPECT_EQ(VirtualKeyFromSdl('q'), 0x51);
    EXPECT_EQ(VirtualKeyFromSdl('a'), 0x41);
    EXPECT_EQ(VirtualKeyFromSdl('z'), 0x5A);
    EXPECT_EQ(VirtualKeyFromSdl('\t'), 0x09);
    const std::int32_t f1 = (1 << 30) | 58;  // keycodes of keys without a character
    EXPECT_EQ(VirtualKeyFromSdl(f1), 0x70);
    EXPECT_EQ(VirtualKeyFromSdl(f1 + 7), 0x77);  // F8
    EXPECT_EQ(VirtualKeyFromSdl(f1 + 11), 0x7B);  // F12
    EXPECT_EQ(VirtualKeyFromSdl('5'), 0x35);
    EXPECT_EQ(VirtualKeyFromSdl(0x7FFFFFFF), -1);
}

}  // namespace
