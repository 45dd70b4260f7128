// The controls table and the keys' names: one row per key, walked in a
// fixed order. Each row steps one parameter up or down within a guard,
// toggles a fade mode, or saves a screenshot. Plain data over the
// parameters, no GL: a text parser may use the names alone.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "sim/parameters.h"

enum class KeyOperation : std::uint8_t {
    Add,         // value + step, when the guard holds
    Subtract,    // value - step, when the guard holds
    Toggle,      // the flag negated
    Screenshot,  // "screenshot0.ppm" of the next frame, the whole drawable
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

// F3 shows and hides the readout panel, F11 switches to and from a full
// screen. They are no rows of the table: the dispatch walks them after
// every row, so no other key changes order.
constexpr std::uint8_t kReadoutKey = 0x72;
constexpr std::uint8_t kFullscreenKey = 0x7A;
// F9 keeps the session so far as a recording; walked after F11.
constexpr std::uint8_t kRecordKey = 0x78;

// Whether a press of the row's key would change its value now: false only
// for a step whose guard fails, the value being one step past its limit.
bool KeyActs(const KeyAction &row, const SimulationParameters &params);

// The guard looks at the value before the step, so a value at or inside
// its bound takes one more full step and may end one step beyond it: the
// signed step a press adds to `value`, 0 where the guard fails.
double StepFor(const KeyAction &row, double value);

// A control's name as the controls table gives it: "Q", "F7", "Tab".
std::string KeyName(std::uint8_t key);

// The virtual-key code of the control (a row of the table, or F3) with that
// name, in any case. -1 when no control has that name.
int KeyCodeFromName(const std::string &name);
