// The tuned values, in one table: for each its name in presets and
// recordings, its label in the panel, its unit, the keys' step and the
// limits they keep to. The panel, the readout, the preset file and the
// recorder all read this table, never a list of their own kept in step by
// position. Plain data over the controls table, no GL.
#pragma once

#include "sim/parameters.h"

struct TunedValue {
    const char *name;   // "sprite_size", as presets and recordings name it
    const char *label;  // "sprite size", as the panel shows it
    float SimulationParameters::*value;  // null for the particle count
    const char *unit;   // "", " s", " px", " deg"
    double step;        // the keys' step
    // The slider's ends: the limits of the controls table (0 to 100,000
    // for the count, -180 to 180 degrees for the spin). Both lie on the
    // slider's grid of steps from `low`.
    double low, high;
    bool unbounded;  // the keys know no limit (the spin)
};

constexpr int kTunedValueCount = 13;
// In the order of the controls table.
const TunedValue *TunedValues();

// The value now.
double ValueOf(const TunedValue &tuned, const SimulationParameters &params);
