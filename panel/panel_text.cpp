#include "panel/panel_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "values/key_table.h"
#include "sim/particles.h"

namespace {

using P = SimulationParameters;

// The decimals a step needs to show every value on its grid.
int DecimalsFor(double step) {
    for (int decimals = 0; decimals < 4; ++decimals) {
        const double scaled = step * std::pow(10.0, decimals);
        if (std::fabs(scaled - std::round(scaled)) < 1e-4) return decimals;
    }
    return 4;
}

// "Q -0.5" for each row stepping the target, or "Q stop" past its limit.
std::string KeysFor(float P::*value, bool countsParticles, const SimulationParameters &params) {
    std::string keys;
    for (const KeyAction &row : kKeyActions) {
        if (row.operation != KeyOperation::Add && row.operation != KeyOperation::Subtract) continue;
        if (countsParticles ? !row.countsParticles : row.value != value) continue;
        const char sign = row.operation == KeyOperation::Add ? '+' : '-';
        keys += (keys.empty() ? "" : "  ") + KeyName(row.key) + " " +
                (KeyActs(row, params) ? sign + FormatStepped(row.step, row.step) : std::string("stop"));
    }
    return keys;
}

std::string Line(const char *label, const std::string &value, const std::string &keys) {
    char line[160];
    std::snprintf(line, sizeof line, "%-17s %9s  %s", label, value.c_str(), keys.c_str());
    return line;
}

}  // namespace

std::string FormatStepped(double value, double step) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", DecimalsFor(step), value);
    std::string shown = text;
    // A value a rounding away from zero is zero, without a sign.
    if (shown.find_first_not_of("-0.") == std::string::npos && shown[0] == '-') shown.erase(0, 1);
    return shown;
}

std::string ValueText(const TunedValue &tuned, const SimulationParameters &params) {
    if (!tuned.value) return std::to_string(params.particleCount);
    return FormatStepped(params.*tuned.value, tuned.step) + tuned.unit;
}

std::string KeysText(const TunedValue &tuned, const SimulationParameters &params) {
    return KeysFor(tuned.value, !tuned.value, params);
}

int NotchCount(const TunedValue &tuned) {
    return static_cast<int>(std::lround((tuned.high - tuned.low) / tuned.step)) + 1;
}

int NotchOf(const TunedValue &tuned, const SimulationParameters &params) {
    const long notch = std::lround((ValueOf(tuned, params) - tuned.low) / tuned.step);
    return static_cast<int>(std::clamp<long>(notch, 0, NotchCount(tuned) - 1));
}

void SetNotch(const TunedValue &tuned, int notch, SimulationParameters &params) {
    notch = std::clamp(notch, 0, NotchCount(tuned) - 1);
    const double value = tuned.low + notch * tuned.step;
    if (tuned.value)
        params.*tuned.value = static_cast<float>(value);
    else
        SetParticleCount(params, static_cast<std::int32_t>(std::lround(value)));
}

std::vector<std::string> ReadoutLines(const SimulationParameters &params, const FrameTimings &timings) {
    std::vector<std::string> lines;
    for (int i = 0; i < kTunedValueCount; ++i) {
        const TunedValue &tuned = TunedValues()[i];
        lines.push_back(Line(tuned.label, ValueText(tuned, params), KeysText(tuned, params)));
    }
    lines.push_back(Line("drag angles", "", "yaw " + FormatStepped(params.yawAngle, 1.0) + "  pitch " +
                                                FormatStepped(params.pitchAngle, 1.0) + "  (left mouse)"));
    lines.push_back(Line("fade-out", params.fadeOut ? "on" : "off", "C"));
    lines.push_back(Line("fade-in", params.fadeIn ? "on" : "off", "M (wins over fade-out)"));

    char stats[160];
    if (timings.measured)
        std::snprintf(stats, sizeof stats, "%.1f fps   simulation %.2f ms   drawing %.2f ms", timings.fps,
                      timings.simulationMs, timings.drawingMs);
    else
        std::snprintf(stats, sizeof stats, "... fps   simulation ... ms   drawing ... ms");
    lines.push_back(stats);
    lines.push_back("Tab screenshot \xC2\xB7 F3 hide");
    return lines;
}
