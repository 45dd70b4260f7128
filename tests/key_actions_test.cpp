// The controls: every key held from the start values, the dispatch order,
// toggles, the particle count's limits and the screenshot row.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/key_actions.h"
#include "app/program_frame.h"
#include "panel/panel_text.h"
#include "values/tuned_values.h"
#include "app/window_handler.h"
#include "sim/particles.h"
#include "tests/sim_support.h"

namespace {

std::vector<std::string> screenshots;
ScreenshotOutcome RecordScreenshot(const char *path, int width, int height, const std::uint8_t *) {
    screenshots.push_back(std::string(path) + " " + std::to_string(width) + "x" + std::to_string(height));
    return {true, ""};
}

class KeyActionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        app_.writeScreenshot = RecordScreenshot;
        screenshots.clear();
    }
    // One key-down message, then a loop pass with no message waiting.
    void Press(std::uint8_t key) {
        HandleWindowMessage(app_, {MessageKind::KeyDown, key});
        ApplyPendingKey(app_);
    }
    void Down(std::uint8_t key) { HandleWindowMessage(app_, {MessageKind::KeyDown, key}); }
    // What the frame does with a pending screenshot, without drawing.
    void SaveAskedScreenshot() {
        if (!app_.screenshotRequested) return;
        app_.screenshotRequested = false;
        app_.writeScreenshot("screenshot0.ppm", 800, 800, nullptr);
    }
    // Presses until the value stops changing; returns the presses that changed it.
    int Hold(std::uint8_t key, const float &value) {
        for (int presses = 0; presses < 1000; ++presses) {
            const std::uint32_t before = FloatBits(value);
            Press(key);
            if (FloatBits(value) == before) return presses;
        }
        return -1;
    }
    SimulationParameters params_;  // the values this test changes
    App app_{params_, gParticles, gSmoke};
    InputState &input_ = app_.input;
};


struct HeldKey {
    std::uint8_t key;
    float SimulationParameters::*value;
    std::uint32_t endBits;
    int presses;
};

TEST_F(KeyActionsTest, HoldingEachKeyEndsOneStepBeyondItsBound) {
    using P = SimulationParameters;
    const HeldKey keys[] = {
        {'Q', &P::driftSpeed, 0xc1780000u, 21},      // -15.5
        {'A', &P::driftSpeed, 0x3f800000u, 12},      // 1.0
        {'W', &P::spreadY, 0x40833334u, 18},         // about 4.1
        {'S', &P::spreadY, 0xc0833334u, 23},         // about -4.1
        {'E', &P::spreadZ, 0x40833334u, 18},
        {'D', &P::spreadZ, 0xc0833334u, 23},
        {'R', &P::turbulence, 0x40000001u, 18},      // about 2.0000002
        {'F', &P::turbulence, 0x3dcccccdu, 1},       // 0.1
        {'Y', &P::maxAge, 0x41280000u, 15},          // 10.5
        {'H', &P::maxAge, 0x00000000u, 6},           // 0.0
        {'U', &P::damping, 0x40466665u, 7},          // about 3.1
        {'J', &P::damping, 0xbe4cccd0u, 4},          // about -0.2
        {'O', &P::constantAlpha, 0x3f800001u, 5},    // about 1.0000001
        {'L', &P::constantAlpha, 0xbdcccccbu, 6},    // about -0.1
        {'Z', &P::pointSize, 0x434a0000u, 43},       // 202
        {'X', &P::pointSize, 0x40000000u, 7},        // 2
        {'V', &P::emitterRadius, 0x3f800001u, 7},    // about 1.0000001
        {'B', &P::emitterRadius, 0xbdcccccbu, 4},    // about -0.1
        {0x70, &P::emitterX, 0x40c66664u, 6},        // F1: about 6.2
        {0x71, &P::emitterX, 0xbe4cccbbu, 26},       // F2: about -0.2
        {0x74, &P::cameraDistance, 0xc24a0000u, 81}, // F5: -50.5
        {0x75, &P::cameraDistance, 0xbf000000u, 19}, // F6: -0.5
    };
    for (const HeldKey &held : keys) {
        params_ = SimulationParameters{};
        const int presses = Hold(held.key, params_.*held.value);
        EXPECT_EQ(FloatBits(params_.*held.value), held.endBits) << "key " << int(held.key);
        EXPECT_EQ(presses, held.presses) << "key " << int(held.key);
    }
}

TEST_F(KeyActionsTest, EveryOtherParameterIsLeftAlone) {
    Press('W');
    SimulationParameters expected;
    expected.spreadY = params_.spreadY;
    EXPECT_TRUE(params_ == expected);
}

TEST_F(KeyActionsTest, FirstFlaggedKeyInTableOrderWinsAndTheOtherWaits) {
    Down('A');
    Down('Q');
    ApplyPendingKey(app_);
    EXPECT_EQ(params_.driftSpeed, -5.5f);  // Q comes first in the table
    EXPECT_TRUE(input_.keyDown['A']);
    EXPECT_TRUE(input_.keyPending);  // A's press still waits
    ApplyPendingKey(app_);  // the next dispatch: A acts
    EXPECT_EQ(params_.driftSpeed, -5.0f);
    EXPECT_FALSE(input_.keyDown['A']);
}

// F3 is walked after every row: with M (the last row) flagged too, M acts
// first and F3 waits for the next dispatch.
TEST_F(KeyActionsTest, PanelKeyComesAfterTheWholeTable) {
    Down(kKeyF3);
    Down('M');
    ApplyPendingKey(app_);
    EXPECT_TRUE(params_.fadeIn);
    EXPECT_FALSE(app_.panelShown);
    ApplyPendingKey(app_);
    EXPECT_TRUE(app_.panelShown);
    Press(kKeyF3);
    EXPECT_FALSE(app_.panelShown);
}

// The panel shows each value with its step's decimals, and marks a key
// whose value has gone past its limit: the marks, like the values, from
// the block it is given, never from another.
TEST_F(KeyActionsTest, PanelLinesShowSteppedValuesAndKeysPastTheirLimit) {
    EXPECT_EQ(FormatValue(4.1000004f, 1), "4.1");
    EXPECT_EQ(FormatValue(-0.099999987f, 1), "-0.1");
    EXPECT_EQ(FormatValue(-0.01f, 1), "0.0");
    EXPECT_EQ(FormatValue(202.0f, 0), "202");

    Hold('Q', params_.driftSpeed);
    Press('K');
    Press('K');  // 4000 down to 0 particles
    for (int i = 0; i < 3; ++i) Press('E');
    const std::vector<std::string> lines = PanelLines(params_, FrameTimings{});
    ASSERT_GE(lines.size(), 7u);
    EXPECT_EQ(lines[0], "drift speed           -15.5  Q stop  A +0.5");
    EXPECT_EQ(lines[2], "depth spread            1.1  E +0.2  D -0.2");
    EXPECT_EQ(lines[6], "particles                 0  I +2000  K stop");
    EXPECT_EQ(lines.back(), "Tab screenshot \xC2\xB7 F3 hide");
    // A value off the keys' grid keeps the decimals it needs.
    SimulationParameters typed;
    typed.constantAlpha = 0.45f;
    EXPECT_EQ(ShownValue(*FindValue("opacity"), typed), "0.45");

    const SimulationParameters program = gParams;
    gParams = params_;  // the program's block past the limits too
    EXPECT_EQ(PanelLines(SimulationParameters{}, FrameTimings{})[0], "drift speed            -5.0  Q -0.5  A +0.5");
    gParams = program;
}

TEST_F(KeyActionsTest, UnlistedKeyOnlyClearsThePendingFlag) {
    Press('P');
    EXPECT_FALSE(input_.keyPending);
    EXPECT_TRUE(input_.keyDown['P']);
    SimulationParameters start;
    EXPECT_TRUE(params_ == start);
}

TEST_F(KeyActionsTest, FadeTogglesWithFadeInBothOn) {
    Press('C');
    EXPECT_TRUE(params_.fadeOut);
    Press('M');
    EXPECT_TRUE(params_.fadeIn);
    EXPECT_TRUE(params_.fadeOut);
    Press('C');
    Press('M');
    EXPECT_FALSE(params_.fadeOut);
    EXPECT_FALSE(params_.fadeIn);
}

TEST_F(KeyActionsTest, ParticleCountStaysInsideThePool) {
    SetParticleCount(params_, 2000);
    Press('K');
    EXPECT_EQ(params_.particleCount, 0);
    EXPECT_EQ(params_.batchCount, 0);
    Press('K');
    EXPECT_EQ(params_.particleCount, 0);

    params_ = SimulationParameters{};
    int presses = 0;
    for (; params_.particleCount < 100000 && presses < 100; ++presses) Press('I');
    EXPECT_EQ(presses, 48);
    EXPECT_EQ(params_.particleCount, 100000);  // not 102000
    EXPECT_EQ(params_.batchCount, 100);
    Press('I');
    EXPECT_EQ(params_.particleCount, 100000);
    Press('K');
    EXPECT_EQ(params_.particleCount, 98000);
    EXPECT_EQ(params_.batchCount, 98);
}

TEST_F(KeyActionsTest, SpinHasNoBound) {
    for (int i = 0; i < 200; ++i) Press(0x76);  // F7
    EXPECT_EQ(params_.spinAngle, 1000.0f);
    for (int i = 0; i < 400; ++i) Press(0x77);  // F8
    EXPECT_EQ(params_.spinAngle, -1000.0f);
}

// Tab asks; the next frame saves. Two presses before it ask for one.
TEST_F(KeyActionsTest, TabAsksForOneScreenshotOfTheNextFrame) {
    Press(0x09);
    Press(0x09);
    EXPECT_TRUE(screenshots.empty());
    SaveAskedScreenshot();
    SaveAskedScreenshot();
    ASSERT_EQ(screenshots.size(), 1u);
    EXPECT_EQ(screenshots[0], "screenshot0.ppm 800x800");
    Press(0x09);
    SaveAskedScreenshot();
    EXPECT_EQ(screenshots.size(), 2u);
}

// The dispatch walks each control once, and every key of the table is one.
TEST_F(KeyActionsTest, ControlsHoldEachKeyOnce) {
    std::array<int, 256> seen{};
    for (const KeyCode key : kControlOrder) {
        EXPECT_EQ(++seen[key], 1) << int(key);
        EXPECT_NE(ControlOf(key).action, ControlAction::None) << int(key);
    }
    for (const TunedValue &row : kTunedValues)
        for (const KeyCode key : {row.up, row.down}) {
            if (key == kNoKey) continue;
            EXPECT_EQ(seen[key], 1) << row.name;
        }
}

}  // namespace
