// What the panel says: each value with its keys, the fades, the timings.
#include "panel/panel_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

std::string Line(const char *label, const std::string &value, const std::string &keys) {
    char line[160];
    std::snprintf(line, sizeof line, "%-17s %9s  %s", label, value.c_str(), keys.c_str());
    return line;
}

}  // namespace

std::string FormatValue(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string shown = text;
    if (shown.find_first_not_of("-0.") == std::string::npos && shown[0] == '-') shown.erase(0, 1);
    return shown;
}

std::string ShownValue(const TunedValue &row, const SimulationParameters &params) {
    // The decimals of its step, as the keys leave it (4.1000004 reads
    // "4.1"); a value off the keys' grid, typed or from a preset, with as
    // many more as it needs (0.45 reads "0.45", not "0.4").
    const double value = ValueOf(row, params), near = row.step > 0.0f ? row.step * 1e-3 : 1e-4;
    std::string shown;
    for (int decimals = row.decimals; decimals <= row.decimals + 6; ++decimals) {
        shown = FormatValue(value, decimals);
        if (std::fabs(std::strtod(shown.c_str(), nullptr) - value) <= near) break;
    }
    return shown + row.unit;
}

// "Q -0.5  A +0.5", in the order the dispatch walks the keys.
std::string KeysText(const TunedValue &row, const SimulationParameters &params) {
    std::string keys;
    for (const KeyCode key : kControlOrder) {
        const Control control = ControlOf(key);
        if (control.row != IndexOf(row)) continue;
        const bool up = control.action != ControlAction::StepDown;
        keys += (keys.empty() ? "" : "  ") + KeyName(key) + " " +
                (KeyActs(row, up, params) ? (up ? "+" : "-") + FormatValue(row.step, row.decimals)
                                          : std::string("stop"));
    }
    return keys;
}

int NotchCount(const TunedValue &row) {
    const double low = row.low, high = row.high, step = row.step;
    return static_cast<int>(std::lround((high - low) / step)) + 1;
}

int NotchOf(const TunedValue &row, const SimulationParameters &params) {
    const double low = row.low, step = row.step;
    const long notch = std::lround((ValueOf(row, params) - low) / step);
    return static_cast<int>(std::clamp<long>(notch, 0, NotchCount(row) - 1));
}

void SetNotch(const TunedValue &row, int notch, SimulationParameters &params) {
    notch = std::clamp(notch, 0, NotchCount(row) - 1);
    const double value = static_cast<double>(row.low) + notch * static_cast<double>(row.step);
    if (row.kind == ValueKind::Count)
        SetParticleCount(params, static_cast<std::int32_t>(std::lround(value)));
    else
        params.*row.number = static_cast<float>(value);
}

std::vector<std::string> PanelLines(const SimulationParameters &params, const FrameTimings &timings) {
    std::vector<std::string> lines;
    for (const TunedValue &row : kTunedValues)
        if (row.slider) lines.push_back(Line(row.label, ShownValue(row, params), KeysText(row, params)));
    const TunedValue &yaw = *FindValue("yaw"), &pitch = *FindValue("pitch");
    lines.push_back(Line("drag angles", "", "yaw " + ShownValue(yaw, params) + "  pitch " + ShownValue(pitch, params) +
                                                "  (left mouse)"));
    lines.push_back(Line("fade-out", params.fadeOut ? "on" : "off", "C"));
    lines.push_back(Line("fade-in", params.fadeIn ? "on" : "off", "M (wins over fade-out)"));

    char stats[160], drawer[16] = "", cap[24] = "";
    if (timings.renderer) std::snprintf(drawer, sizeof drawer, " (%s)", timings.renderer);
    if (timings.capFps > 0.0)
        std::snprintf(cap, sizeof cap, " (cap %.3g)", timings.capFps);
    else if (timings.capFps == 0.0)
        std::snprintf(cap, sizeof cap, " (no cap)");
    if (timings.measured)
        std::snprintf(stats, sizeof stats, "%.1f fps%s   simulation %.2f ms   drawing%s %.2f ms", timings.fps, cap,
                      timings.simulationMs, drawer, timings.drawingMs);
    else
        std::snprintf(stats, sizeof stats, "... fps%s   simulation ... ms   drawing%s ... ms", cap, drawer);
    lines.push_back(stats);
    lines.push_back("Tab screenshot \xC2\xB7 F3 hide");
    return lines;
}
