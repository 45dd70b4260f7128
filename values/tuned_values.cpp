#include "values/tuned_values.h"

#include <array>

#include "values/key_table.h"
#include "sim/particles.h"

namespace {

using P = SimulationParameters;

// The step and the guards' bounds of the keys that move `value`.
TunedValue Tuned(const char *name, const char *label, float P::*value, const char *unit) {
    TunedValue tuned{name, label, value, unit, 1.0, -180.0, 180.0, true};
    for (const KeyAction &row : kKeyActions) {
        if (row.value != value || (row.operation != KeyOperation::Add && row.operation != KeyOperation::Subtract))
            continue;
        tuned.step = row.step;
        if (row.guard == KeyGuard::AtMost) tuned.high = row.bound;
        if (row.guard == KeyGuard::AtLeast) tuned.low = row.bound;
        tuned.unbounded = tuned.unbounded && row.guard == KeyGuard::Always;
    }
    return tuned;
}

std::array<TunedValue, kTunedValueCount> MakeTunedValues() {
    return {{
        Tuned("drift_speed", "drift speed", &P::driftSpeed, ""),
        Tuned("vertical_spread", "vertical spread", &P::spreadY, ""),
        Tuned("depth_spread", "depth spread", &P::spreadZ, ""),
        Tuned("turbulence", "turbulence", &P::turbulence, ""),
        Tuned("lifetime", "lifetime", &P::maxAge, " s"),
        Tuned("damping", "damping", &P::damping, ""),
        {"particles", "particles", nullptr, "", 2000.0, 0.0, kPoolSize, false},
        Tuned("opacity", "opacity", &P::constantAlpha, ""),
        Tuned("sprite_size", "sprite size", &P::pointSize, " px"),
        Tuned("emitter_size", "emitter size", &P::emitterRadius, ""),
        Tuned("emitter_position", "emitter position", &P::emitterX, ""),
        Tuned("camera_distance", "camera distance", &P::cameraDistance, ""),
        Tuned("spin", "spin", &P::spinAngle, " deg"),
    }};
}

}  // namespace

const TunedValue *TunedValues() {
    // Built on first use, from the controls table.
    static const std::array<TunedValue, kTunedValueCount> tuned = MakeTunedValues();
    return tuned.data();
}

double ValueOf(const TunedValue &tuned, const SimulationParameters &params) {
    return tuned.value ? static_cast<double>(params.*tuned.value) : params.particleCount;
}
