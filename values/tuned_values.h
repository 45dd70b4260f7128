// The tuned values in one table, a row each: the name presets and
// recordings know it by, the panel's label, unit and decimals, the keys
// that step it or switch it, the step and the limits. The key actions, the
// panel, the presets and the recordings all read this table, never a list
// of their own kept in step by position; and the controls, in the order
// the key dispatch walks them. Plain data over the parameters, no GL.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "io/keys.h"
#include "sim/parameters.h"

enum class ValueKind : std::uint8_t {
    Number,  // a float of the parameter block
    Count,   // the particle count: whole, on its keys' grid, inside the pool
    Flag,    // a fade: on or off, switched by its key
};

struct TunedValue {
    const char *name;   // "sprite_size", in presets and recordings
    const char *label;  // "sprite size", in the panel
    const char *unit;   // "", " s", " px", " deg"
    ValueKind kind;
    float SimulationParameters::*number;  // a Number's field
    bool SimulationParameters::*flag;     // a Flag's field
    KeyCode up, down;  // the keys that add and take away a step; a Flag's key is `up`
    // What a key adds or takes away, and the limits it keeps to: a key
    // steps while the value is inside them, so a value may end one step
    // beyond (the count excepted, which stays inside the pool). The steps
    // and limits are floats, as the keys have always added them.
    float step;
    int decimals;      // the panel shows the value with these
    float low, high;   // the limits, and the slider's ends
    bool limited;      // false: the keys know no limit (the spin), and the slider covers one turn
    bool slider;       // the panel shows a slider for it
};

constexpr int kTunedValueCount = 17;

namespace tuned_rows {
using P = SimulationParameters;
constexpr TunedValue Number(const char *name, const char *label, const char *unit, float P::*number, KeyCode up,
                            KeyCode down, float step, int decimals, float low, float high) {
    return {name, label, unit, ValueKind::Number, number, nullptr, up, down, step, decimals, low, high, true, true};
}
constexpr TunedValue Flag(const char *name, const char *label, bool P::*flag, KeyCode key) {
    return {name, label, "", ValueKind::Flag, nullptr, flag, key, kNoKey, 0.0f, 0, 0.0f, 1.0f, true, false};
}
// A mouse-driven angle: no key, no slider, no limit; shown whole.
constexpr TunedValue Angle(const char *name, float P::*number) {
    return {name, name, "", ValueKind::Number, number, nullptr, kNoKey, kNoKey, 1.0f, 0, -180.0f, 180.0f, false, false};
}
}  // namespace tuned_rows

// In the order presets and recordings list them.
inline constexpr std::array<TunedValue, kTunedValueCount> kTunedValues = {{
    tuned_rows::Number("drift_speed", "drift speed", "", &tuned_rows::P::driftSpeed, 'A', 'Q', 0.5f, 1, -15.0f, 0.5f),
    tuned_rows::Number("vertical_spread", "vertical spread", "", &tuned_rows::P::spreadY, 'W', 'S', 0.2f, 1, -4.0f,
                       4.0f),
    tuned_rows::Number("depth_spread", "depth spread", "", &tuned_rows::P::spreadZ, 'E', 'D', 0.2f, 1, -4.0f, 4.0f),
    tuned_rows::Number("turbulence", "turbulence", "", &tuned_rows::P::turbulence, 'R', 'F', 0.1f, 1, 0.2f, 2.0f),
    tuned_rows::Number("lifetime", "lifetime", " s", &tuned_rows::P::maxAge, 'Y', 'H', 0.5f, 1, 0.5f, 10.0f),
    tuned_rows::Number("damping", "damping", "", &tuned_rows::P::damping, 'U', 'J', 0.3f, 1, 0.0f, 3.0f),
    {"particles", "particles", "", ValueKind::Count, nullptr, nullptr, 'I', 'K', 2000.0f, 0, 0.0f, 100000.0f, true,
     true},
    tuned_rows::Number("opacity", "opacity", "", &tuned_rows::P::constantAlpha, 'O', 'L', 0.1f, 1, 0.0f, 1.0f),
    tuned_rows::Number("sprite_size", "sprite size", " px", &tuned_rows::P::pointSize, 'Z', 'X', 4.0f, 0, 4.0f,
                       200.0f),
    tuned_rows::Number("emitter_size", "emitter size", "", &tuned_rows::P::emitterRadius, 'V', 'B', 0.1f, 1, 0.0f,
                       1.0f),
    tuned_rows::Number("emitter_position", "emitter position", "", &tuned_rows::P::emitterX, kKeyF1, kKeyF2, 0.2f, 1,
                       0.0f, 6.0f),
    // F5 takes the camera farther away, F6 brings it closer.
    tuned_rows::Number("camera_distance", "camera distance", "", &tuned_rows::P::cameraDistance, kKeyF6, kKeyF5, 0.5f,
                       1, -50.0f, -1.0f),
    {"spin", "spin", " deg", ValueKind::Number, &tuned_rows::P::spinAngle, nullptr, kKeyF7, kKeyF8, 5.0f, 0, -180.0f,
     180.0f, false, true},
    tuned_rows::Flag("fade_out", "fade-out", &tuned_rows::P::fadeOut, 'C'),
    tuned_rows::Flag("fade_in", "fade-in", &tuned_rows::P::fadeIn, 'M'),
    tuned_rows::Angle("yaw", &tuned_rows::P::yawAngle),
    tuned_rows::Angle("pitch", &tuned_rows::P::pitchAngle),
}};

// The row named `name`; null when none is.
const TunedValue *FindValue(std::string_view name);
// Its place in the table.
inline int IndexOf(const TunedValue &row) { return static_cast<int>(&row - kTunedValues.data()); }

// The value now, as a double, which holds a float, a count or a flag
// exactly.
double ValueOf(const TunedValue &row, const SimulationParameters &params);
// Whether it is the same in both, bit for bit.
bool SameValue(const TunedValue &row, const SimulationParameters &a, const SimulationParameters &b);

// Sets a Number or a Count from `value`, a Flag from `on`, within the
// range a file may give: as far as the keys reach (one step past either
// limit), a count on its grid. False, with what is allowed in `problem`
// ("must be a number from 0 to 204"), when the value is out of range, not
// whole for a count, or of the wrong kind.
bool SetValue(const TunedValue &row, double value, SimulationParameters &params, std::string &problem);
bool SetValue(const TunedValue &row, bool on, SimulationParameters &params, std::string &problem);

// The value as a file writes it: "0.2" (the shortest text that reads back
// as the same float, always with a point), "4000", "true".
std::string ValueText(const TunedValue &row, const SimulationParameters &params);
// Reads that text back; false with `problem` set as for SetValue.
bool ParseValueText(const TunedValue &row, std::string_view text, SimulationParameters &params,
                    std::string &problem);

// What the keys do. `up` is the row's up key, else its down key. The
// signed step a press adds to `value`, 0 where the value is past the
// limit the key keeps to.
double KeyStep(const TunedValue &row, bool up, double value);
// Whether a press would change the value now: false only for a step past
// its limit.
bool KeyActs(const TunedValue &row, bool up, const SimulationParameters &params);
// A press: the value stepped, the count kept inside the pool with its
// batch count in step, a flag switched.
void PressKey(const TunedValue &row, bool up, SimulationParameters &params);

// What a control's press does.
enum class ControlAction : std::uint8_t { None, StepUp, StepDown, Switch, Screenshot, Panel, Fullscreen, Record };

struct Control {
    KeyCode key;
    ControlAction action;
    int row;  // the value it steps or switches; -1 for none
};

// Every control in the order the dispatch walks them, the first whose
// press waits acting first: the values' keys with Tab among them, then F3
// (the panel), F11 (full screen) and F9 (the recording), which no other key
// waits behind.
constexpr int kControlCount = 32;
inline constexpr std::array<KeyCode, kControlCount> kControlOrder = {{
    'Q', 'A', 'W', 'S', 'E', 'D', 'R', 'F', 'Y', 'H', 'U', 'J', 'I', 'K', 'O', 'L', 'Z', 'X', 'C', 'V', 'B',
    kKeyF1, kKeyF2, kKeyF5, kKeyF6, kKeyF7, kKeyF8, kKeyTab, 'M', kKeyF3, kKeyF11, kKeyF9,
}};

// The control of `key`; action None for a key that is none.
constexpr Control ControlOf(KeyCode key) {
    if (key == kNoKey) return {key, ControlAction::None, -1};
    if (key == kKeyTab) return {key, ControlAction::Screenshot, -1};
    if (key == kKeyF3) return {key, ControlAction::Panel, -1};
    if (key == kKeyF11) return {key, ControlAction::Fullscreen, -1};
    if (key == kKeyF9) return {key, ControlAction::Record, -1};
    for (int i = 0; i < kTunedValueCount; ++i) {
        const TunedValue &row = kTunedValues[static_cast<std::size_t>(i)];
        if (row.up == key) return {key, row.kind == ValueKind::Flag ? ControlAction::Switch : ControlAction::StepUp, i};
        if (row.down == key) return {key, ControlAction::StepDown, i};
    }
    return {key, ControlAction::None, -1};
}

// The code of the control with that name, in any case, among those a key
// script may press (all but F11 and F9); -1 when none has that name.
int KeyCodeFromName(const std::string &name);
