#include "app/readout_text.h"

#include <cmath>
#include <cstdio>

#include "app/key_table.h"

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
std::string KeysFor(float P::*value, bool countsParticles) {
    std::string keys;
    for (const KeyAction &row : kKeyActions) {
        if (row.operation != KeyOperation::Add && row.operation != KeyOperation::Subtract) continue;
        if (countsParticles ? !row.countsParticles : row.value != value) continue;
        const char sign = row.operation == KeyOperation::Add ? '+' : '-';
        keys += (keys.empty() ? "" : "  ") + KeyName(row.key) + " " +
                (KeyActs(row) ? sign + FormatStepped(row.step, row.step) : std::string("stop"));
    }
    return keys;
}

float StepOf(float P::*value) {
    for (const KeyAction &row : kKeyActions)
        if (row.value == value) return row.step;
    return 1.0f;
}

std::string Line(const char *label, const std::string &value, const std::string &keys) {
    char line[160];
    std::snprintf(line, sizeof line, "%-17s %9s  %s", label, value.c_str(), keys.c_str());
    return line;
}

struct ValueLine {
    const char *label;
    float P::*value;
    const char *unit;
};

const ValueLine kValues[] = {
    {"drift speed", &P::driftSpeed, ""},
    {"vertical spread", &P::spreadY, ""},
    {"depth spread", &P::spreadZ, ""},
    {"turbulence", &P::turbulence, ""},
    {"lifetime", &P::maxAge, " s"},
    {"damping", &P::damping, ""},
    {nullptr, nullptr, ""},  // the particle count goes here
    {"opacity", &P::constantAlpha, ""},
    {"sprite size", &P::pointSize, " px"},
    {"emitter size", &P::emitterRadius, ""},
    {"emitter position", &P::emitterX, ""},
    {"camera distance", &P::cameraDistance, ""},
    {"spin", &P::spinAngle, " deg"},
};

}  // namespace

std::string FormatStepped(double value, double step) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", DecimalsFor(step), value);
    std::string shown = text;
    // A value a rounding away from zero is zero, without a sign.
    if (shown.find_first_not_of("-0.") == std::string::npos && shown[0] == '-') shown.erase(0, 1);
    return shown;
}

std::vector<std::string> ReadoutLines(const SimulationParameters &params, const FrameTimings &timings) {
    std::vector<std::string> lines;
    for (const ValueLine &entry : kValues) {
        if (!entry.label) {
            lines.push_back(Line("particles", std::to_string(params.particleCount), KeysFor(nullptr, true)));
            continue;
        }
        const float step = StepOf(entry.value);
        lines.push_back(Line(entry.label, FormatStepped(params.*entry.value, step) + entry.unit,
                             KeysFor(entry.value, false)));
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
