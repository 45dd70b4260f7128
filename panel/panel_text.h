// What the panel says: every tuned value with its keys, the drag angles,
// the fades, and the frame's timings, one line each; and for each tuned
// value the slider that sets it. Plain text and arithmetic, no GL.
#pragma once

#include <string>
#include <vector>

#include "sim/parameters.h"
#include "values/tuned_values.h"

// Frame timings averaged over the last half second.
struct FrameTimings {
    bool measured = false;  // false until the first half second has passed
    double fps = 0.0;
    double simulationMs = 0.0;  // the simulation step
    double drawingMs = 0.0;     // the rest of the frame's own work, the wait for the next frame left out
    double capFps = -1.0;       // at most so many frames a second; 0: no cap; negative: not said
    const char *renderer = nullptr;  // what draws it, when said: "CPU" or "GL"
};

// The text a value reads ("30 px"), with the decimals of its step, more
// where a value off the keys' grid needs them ("0.45"); and its keys ("Z
// +4  X -4"), a key that no longer acts on the value marked "stop", both
// from `params`.
std::string ShownValue(const TunedValue &row, const SimulationParameters &params);
std::string KeysText(const TunedValue &row, const SimulationParameters &params);

// The slider's notches, and the notch nearest the value now (clamped).
int NotchCount(const TunedValue &row);
int NotchOf(const TunedValue &row, const SimulationParameters &params);
// Sets the value to notch `notch`: low + notch x step, the count through
// SetParticleCount so that the batch count follows.
void SetNotch(const TunedValue &row, int notch, SimulationParameters &params);

// The panel's lines: one per value with a slider, in the table's order,
// then kPanelValueLines - kSliderCount more for the drag angles and the
// two fades, then the timings and the closing line. A key whose value has
// gone past its limit, so that it no longer acts, is marked "stop" in
// place of its step.
constexpr int kSliderCount = 13;
constexpr int kPanelValueLines = kSliderCount + 3;
std::vector<std::string> PanelLines(const SimulationParameters &params, const FrameTimings &timings);

// A value with so many decimals: 4.1000004 with 1 reads "4.1",
// -0.099999987 with 1 reads "-0.1", and a value a rounding away from zero
// reads as zero, without a sign.
std::string FormatValue(double value, int decimals);
