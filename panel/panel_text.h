// What the readout panel says: every tuned value with its keys, the drag
// angles, the fades, and the frame's timings, one line each; and for each
// tuned value the slider that sets it. Plain text and arithmetic, no GL.
#pragma once

#include <string>
#include <vector>

#include "values/tuned_values.h"
#include "sim/parameters.h"

// Frame timings averaged over the last half second.
struct FrameTimings {
    bool measured = false;  // false until the first half second has passed
    double fps = 0.0;
    double simulationMs = 0.0;  // the simulation step
    double drawingMs = 0.0;     // the rest of the frame
};

// The text a value reads ("30 px"), and its keys ("Z +4  X -4"), a key
// that no longer acts on the value marked "stop".
std::string ValueText(const TunedValue &tuned, const SimulationParameters &params);
std::string KeysText(const TunedValue &tuned, const SimulationParameters &params);

// The slider's notches, and the notch nearest the value now (clamped).
int NotchCount(const TunedValue &tuned);
int NotchOf(const TunedValue &tuned, const SimulationParameters &params);
// Sets the value to notch `notch`: low + notch x step, the count through
// SetParticleCount so that the batch count follows.
void SetNotch(const TunedValue &tuned, int notch, SimulationParameters &params);

// The readout's lines: one per tuned value, in the order of the controls
// table, then kReadoutValueLines - kTunedValueCount more for the drag
// angles and the two fades, then the timings and the closing line. A key whose
// value has gone past its limit, so that it no longer acts, is marked
// "stop" in place of its step.
constexpr int kReadoutValueLines = kTunedValueCount + 3;
std::vector<std::string> ReadoutLines(const SimulationParameters &params, const FrameTimings &timings);

// A value with the decimals its step needs: 4.1000004 with a step of 0.2
// reads "4.1", -0.099999987 with a step of 0.1 reads "-0.1".
std::string FormatStepped(double value, double step);
