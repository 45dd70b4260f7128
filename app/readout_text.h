// What the readout panel says: every tuned value with its keys, the drag
// angles, the fades, and the frame's timings, one line each; and for each
// tuned value the slider that sets it. Plain text and arithmetic, no GL.
#pragma once

#include <string>
#include <vector>

#include "sim/parameters.h"

// Frame timings averaged over the last half second.
struct FrameTimings {
    bool measured = false;  // false until the first half second has passed
    double fps = 0.0;
    double simulationMs = 0.0;  // the simulation step
    double drawingMs = 0.0;     // the rest of the frame
};

// One of the 13 tuned values, as the panel shows it and its slider sets it.
struct TunedValue {
    const char *label;                 // "sprite size"
    float SimulationParameters::*value;  // null for the particle count
    const char *unit;                  // "", " s", " px", " deg"
    double step;                       // the keys' step
    // The slider's ends: the limits of the controls table (0 to 100,000
    // for the count, -180 to 180 degrees for the spin, which has none).
    // Both lie on the slider's grid of steps from `low`.
    double low, high;
};

constexpr int kTunedValueCount = 13;
// In the order of the controls table.
const TunedValue *TunedValues();

// The value now, the text it reads ("30 px"), and its keys ("Z +4  X -4").
double ValueOf(const TunedValue &tuned, const SimulationParameters &params);
std::string ValueText(const TunedValue &tuned, const SimulationParameters &params);
std::string KeysText(const TunedValue &tuned);

// The slider's notches, and the notch nearest the value now (clamped).
int NotchCount(const TunedValue &tuned);
int NotchOf(const TunedValue &tuned, const SimulationParameters &params);
// Sets the value in gParams to notch `notch`: low + notch x step, the
// count through SetParticleCount so that the batch count follows.
void SetNotch(const TunedValue &tuned, int notch);

// One line per value, in the order of the controls table. A key whose
// value has gone past its limit, so that it no longer acts, is marked
// "stop" in place of its step.
std::vector<std::string> ReadoutLines(const SimulationParameters &params, const FrameTimings &timings);

// A value with the decimals its step needs: 4.1000004 with a step of 0.2
// reads "4.1", -0.099999987 with a step of 0.1 reads "-0.1".
std::string FormatStepped(double value, double step);
