// What the readout panel says: every tuned value with its keys, the drag
// angles, the fades, and the frame's timings, one line each. Plain text,
// no GL.
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

// One line per value, in the order of the controls table. A key whose
// value has gone past its limit, so that it no longer acts, is marked
// "stop" in place of its step.
std::vector<std::string> ReadoutLines(const SimulationParameters &params, const FrameTimings &timings);

// A value with the decimals its step needs: 4.1000004 with a step of 0.2
// reads "4.1", -0.099999987 with a step of 0.1 reads "-0.1".
std::string FormatStepped(double value, double step);
