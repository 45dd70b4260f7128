// The tuned values by name, their texts and ranges, and what their keys do.
#include "values/tuned_values.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "io/text.h"
#include "sim/particles.h"

namespace {

// What a file may set a number to: as far as the keys reach, one step past
// either limit. The spin and the drag angles know no limit: any float.
double Lowest(const TunedValue &row) { return static_cast<double>(row.low) - static_cast<double>(row.step); }
double Highest(const TunedValue &row) { return static_cast<double>(row.high) + static_cast<double>(row.step); }

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// What the value may be, for a message.
std::string Allowed(const TunedValue &row) {
    switch (row.kind) {
    case ValueKind::Flag: return "must be true or false";
    case ValueKind::Count:
        return "must be a whole multiple of " + Number(row.step) + " from " + Number(row.low) + " to " + Number(row.high);
    case ValueKind::Number: break;
    }
    if (!row.limited) return "must be a number a float holds";
    return "must be a number from " + Number(Lowest(row)) + " to " + Number(Highest(row));
}

}  // namespace

const TunedValue *FindValue(std::string_view name) {
    for (const TunedValue &row : kTunedValues)
        if (name == row.name) return &row;
    return nullptr;
}

double ValueOf(const TunedValue &row, const SimulationParameters &params) {
    switch (row.kind) {
    case ValueKind::Flag: return params.*row.flag ? 1.0 : 0.0;
    case ValueKind::Count: return params.particleCount;
    case ValueKind::Number: break;
    }
    return static_cast<double>(params.*row.number);
}

bool SameValue(const TunedValue &row, const SimulationParameters &a, const SimulationParameters &b) {
    switch (row.kind) {
    case ValueKind::Flag: return a.*row.flag == b.*row.flag;
    case ValueKind::Count: return a.particleCount == b.particleCount;
    case ValueKind::Number: break;
    }
    return std::memcmp(&(a.*row.number), &(b.*row.number), sizeof(float)) == 0;
}

bool SetValue(const TunedValue &row, double value, SimulationParameters &params, std::string &problem) {
    switch (row.kind) {
    case ValueKind::Flag:
        problem = Allowed(row);
        return false;
    case ValueKind::Count:
        if (!(value >= row.low && value <= row.high) || value != std::floor(value) ||
            static_cast<std::int64_t>(value) % static_cast<std::int64_t>(row.step) != 0) {
            problem = Allowed(row);
            return false;
        }
        SetParticleCount(params, static_cast<std::int32_t>(value));
        return true;
    case ValueKind::Number: {
        // Keys step in float arithmetic, whose roundings may end a little
        // past the exact limit: a millionth is allowed for them.
        const float stored = static_cast<float>(value);
        const auto slack = [](double bound) { return 1e-6 * std::max(1.0, std::fabs(bound)); };
        const double low = Lowest(row), high = Highest(row);
        if (!std::isfinite(value) || !std::isfinite(stored) ||
            (row.limited && (stored < low - slack(low) || stored > high + slack(high)))) {
            problem = Allowed(row);
            return false;
        }
        params.*row.number = stored;
        return true;
    }
    }
    return false;
}

bool SetValue(const TunedValue &row, bool on, SimulationParameters &params, std::string &problem) {
    if (row.kind != ValueKind::Flag) {
        problem = Allowed(row);
        return false;
    }
    params.*row.flag = on;
    return true;
}

std::string ValueText(const TunedValue &row, const SimulationParameters &params) {
    switch (row.kind) {
    case ValueKind::Flag: return params.*row.flag ? "true" : "false";
    case ValueKind::Count: return std::to_string(params.particleCount);
    case ValueKind::Number: break;
    }
    // The shortest text that reads back as the same float: "0.2" for 0.2f,
    // so that a saved file reads as a person would write it.
    char text[64];
    const std::to_chars_result end =
        std::to_chars(text, text + sizeof text, params.*row.number, std::chars_format::fixed);
    std::string shown(text, end.ptr);
    if (shown.find('.') == std::string::npos) shown += ".0";  // a float, not a whole number
    return shown;
}

bool ParseValueText(const TunedValue &row, std::string_view text, SimulationParameters &params,
                    std::string &problem) {
    if (text == "true" || text == "false") return SetValue(row, text == "true", params, problem);
    double value = 0.0;
    // A count is written whole, a number may be either.
    const bool whole = text.find_first_of(".eE") == std::string_view::npos;
    if (!ReadDecimal(text, value) || (row.kind == ValueKind::Count && !whole)) {
        problem = Allowed(row);
        return false;
    }
    return SetValue(row, value, params, problem);
}

double KeyStep(const TunedValue &row, bool up, double value) {
    // The limit looks at the value before the step, so a value at or inside
    // it takes one more full step. The count alone stops at 0 rather than a
    // step below it.
    const double countFloor = row.kind == ValueKind::Count ? static_cast<double>(row.step) : 0.0;
    const bool inside = !row.limited || (up ? value <= static_cast<double>(row.high)
                                            : value >= static_cast<double>(row.low) + countFloor);
    const double step = inside ? static_cast<double>(row.step) : 0.0;
    return up ? step : -step;
}

bool KeyActs(const TunedValue &row, bool up, const SimulationParameters &params) {
    return row.kind == ValueKind::Flag || KeyStep(row, up, ValueOf(row, params)) != 0.0;
}

void PressKey(const TunedValue &row, bool up, SimulationParameters &params) {
    switch (row.kind) {
    case ValueKind::Flag:
        params.*row.flag = !(params.*row.flag);
        break;
    case ValueKind::Count: {
        const std::int32_t count = params.particleCount;
        std::int64_t next = count + static_cast<std::int64_t>(KeyStep(row, up, count));
        // The pool holds kPoolSize particles; the count never claims more.
        if (next > kPoolSize) next = kPoolSize;
        SetParticleCount(params, static_cast<std::int32_t>(next));
        break;
    }
    case ValueKind::Number: {
        float &value = params.*row.number;
        value = static_cast<float>(static_cast<double>(value) + KeyStep(row, up, value));
        break;
    }
    }
}

int KeyCodeFromName(const std::string &name) {
    for (const KeyCode key : kControlOrder)
        if (key != kKeyF11 && key != kKeyF9 && strcasecmp(KeyName(key).c_str(), name.c_str()) == 0) return key;
    return -1;
}
