#include "values/parameter_names.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "values/tuned_values.h"
#include "sim/particles.h"

namespace {

using P = SimulationParameters;

constexpr double kFree = 1e6;  // the spin and the drag angles have no limit

std::vector<NamedParameter> MakeNames() {
    std::vector<NamedParameter> names;
    for (int i = 0; i < kTunedValueCount; ++i) {
        const TunedValue &tuned = TunedValues()[i];
        if (!tuned.value)
            names.push_back({tuned.name, ParameterKind::Count});
        else if (tuned.unbounded)
            names.push_back({tuned.name, ParameterKind::Number, tuned.value, nullptr, -kFree, kFree});
        else  // a number the keys reach: one step past either limit
            names.push_back({tuned.name, ParameterKind::Number, tuned.value, nullptr, tuned.low - tuned.step,
                             tuned.high + tuned.step});
    }
    names.push_back({"fade_out", ParameterKind::Flag, nullptr, &P::fadeOut});
    names.push_back({"fade_in", ParameterKind::Flag, nullptr, &P::fadeIn});
    names.push_back({"yaw", ParameterKind::Number, &P::yawAngle, nullptr, -kFree, kFree});
    names.push_back({"pitch", ParameterKind::Number, &P::pitchAngle, nullptr, -kFree, kFree});
    return names;
}

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// What the value may be, for a message.
std::string Allowed(const NamedParameter &named) {
    switch (named.kind) {
    case ParameterKind::Flag: return "must be true or false";
    case ParameterKind::Count: return "must be a whole multiple of 2000 from 0 to 100000";
    case ParameterKind::Number: break;
    }
    return "must be a number from " + Number(named.low) + " to " + Number(named.high);
}

}  // namespace

const std::vector<NamedParameter> &NamedParameters() {
    static const std::vector<NamedParameter> names = MakeNames();
    return names;
}

const NamedParameter *FindParameter(std::string_view name) {
    for (const NamedParameter &named : NamedParameters())
        if (name == named.name) return &named;
    return nullptr;
}

bool SetParameter(const NamedParameter &named, double value, SimulationParameters &params, std::string &problem) {
    switch (named.kind) {
    case ParameterKind::Flag:
        problem = Allowed(named);
        return false;
    case ParameterKind::Count:
        if (!(value >= 0.0 && value <= kPoolSize) || value != std::floor(value) ||
            static_cast<std::int64_t>(value) % 2000 != 0) {
            problem = Allowed(named);
            return false;
        }
        SetParticleCount(params, static_cast<std::int32_t>(value));
        return true;
    case ParameterKind::Number: {
        // Keys step in float arithmetic, whose roundings may end a little
        // past the exact limit: a millionth is allowed for them.
        const float stored = static_cast<float>(value);
        const auto slack = [](double bound) { return 1e-6 * std::max(1.0, std::fabs(bound)); };
        if (!std::isfinite(value) || stored < named.low - slack(named.low) || stored > named.high + slack(named.high)) {
            problem = Allowed(named);
            return false;
        }
        params.*named.number = stored;
        return true;
    }
    }
    return false;
}

bool SetParameter(const NamedParameter &named, bool on, SimulationParameters &params, std::string &problem) {
    if (named.kind != ParameterKind::Flag) {
        problem = Allowed(named);
        return false;
    }
    params.*named.flag = on;
    return true;
}

std::string ParameterText(const NamedParameter &named, const SimulationParameters &params) {
    switch (named.kind) {
    case ParameterKind::Flag: return params.*named.flag ? "true" : "false";
    case ParameterKind::Count: return std::to_string(params.particleCount);
    case ParameterKind::Number: break;
    }
    // The shortest text that reads back as the same float: "0.2" for 0.2f,
    // so that a saved file reads as a person would write it.
    char text[64];
    const std::to_chars_result end =
        std::to_chars(text, text + sizeof text, params.*named.number, std::chars_format::fixed);
    std::string shown(text, end.ptr);
    if (shown.find('.') == std::string::npos) shown += ".0";  // a float, not a whole number
    return shown;
}

bool ParseParameterText(const NamedParameter &named, std::string_view text, SimulationParameters &params,
                        std::string &problem) {
    if (text == "true" || text == "false") return SetParameter(named, text == "true", params, problem);
    double value = 0.0;
    const char *end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, value);
    // A count is written whole, a number may be either.
    const bool whole = text.find_first_of(".eE") == std::string_view::npos;
    if (text.empty() || stop != end || failure != std::errc() || (named.kind == ParameterKind::Count && !whole)) {
        problem = Allowed(named);
        return false;
    }
    return SetParameter(named, value, params, problem);
}

double ParameterValue(const NamedParameter &named, const SimulationParameters &params) {
    switch (named.kind) {
    case ParameterKind::Flag: return params.*named.flag ? 1.0 : 0.0;
    case ParameterKind::Count: return params.particleCount;
    case ParameterKind::Number: break;
    }
    return static_cast<double>(params.*named.number);
}

bool SameParameter(const NamedParameter &named, const SimulationParameters &a, const SimulationParameters &b) {
    switch (named.kind) {
    case ParameterKind::Flag: return a.*named.flag == b.*named.flag;
    case ParameterKind::Count: return a.particleCount == b.particleCount;
    case ParameterKind::Number: break;
    }
    return std::memcmp(&(a.*named.number), &(b.*named.number), sizeof(float)) == 0;
}
