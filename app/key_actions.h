// The controls: one row per key, walked in a fixed order. Each row steps
// one parameter up or down within a guard, toggles a fade mode, or saves a
// screenshot.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "sim/parameters.h"

enum class KeyOperation : std::uint8_t {
    Add,         // value + step, when the guard holds
    Subtract,    // value - step, when the guard holds
    Toggle,      // the flag negated
    Screenshot,  // "screenshot0.ppm", 800 x 800
};

enum class KeyGuard : std::uint8_t {
    Always,
    AtMost,   // the step is taken when the value is <= bound
    AtLeast,  // ... when the value is >= bound
};

struct KeyAction {
    std::uint8_t key;  // virtual-key code
    KeyOperation operation;
    KeyGuard guard;
    float bound;
    float step;
    // The target: a float parameter, the particle count, or a flag.
    float SimulationParameters::*value;
    bool countsParticles;
    bool SimulationParameters::*flag;
};

constexpr int kKeyActionCount = 29;
extern const std::array<KeyAction, kKeyActionCount> kKeyActions;

// F3 shows and hides the readout panel. It is no row of the table: the
// dispatch walks it after every row, so no other key changes order.
constexpr std::uint8_t kReadoutKey = 0x72;
extern bool gReadoutShown;  // hidden at start

// Acts on the first row, in table order, whose key has its down flag set:
// clears that flag and runs its action; with no such row, F3's flag. Always
// clears keyPending, so at most one action runs per call.
void ApplyPendingKey();

// Whether a press of the row's key would change its value now: false only
// for a step whose guard fails, the value being one step past its limit.
bool KeyActs(const KeyAction &row);

// A control's name as the controls table gives it: "Q", "F7", "Tab".
std::string KeyName(std::uint8_t key);

// The virtual-key code of the control (a row of the table, or F3) with that
// name, in any case. -1 when no control has that name.
int KeyCodeFromName(const std::string &name);

// What the screenshot row calls; tests replace it. nullptr restores
// WriteScreenshot.
using ScreenshotWriter = bool (*)(const char *path, int width, int height);
void SetScreenshotWriter(ScreenshotWriter writer);
