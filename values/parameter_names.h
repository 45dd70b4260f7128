// Every value a preset or a recording names: the tuned values of the one
// table (values/tuned_values.h), then the fades and the drag angles. Each is
// set only within the range its keys reach (one step past the controls'
// limits), written as text that reads back as the same value, and compared
// bit for bit. No GL.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sim/parameters.h"

enum class ParameterKind { Number, Count, Flag };

struct NamedParameter {
    const char *name;
    ParameterKind kind;
    float SimulationParameters::*number = nullptr;  // for a Number
    bool SimulationParameters::*flag = nullptr;     // for a Flag
    double low = 0.0, high = 0.0;                   // for a Number
};

// In the order a file lists them.
const std::vector<NamedParameter> &NamedParameters();
// The one of that name; null when none.
const NamedParameter *FindParameter(std::string_view name);

// Sets a Number or a Count from `value`; a Flag from `on`. False, with what
// is allowed in `problem` ("must be a number from 0 to 204"), when the
// value is out of range, not whole for a count, or of the wrong kind.
bool SetParameter(const NamedParameter &named, double value, SimulationParameters &params, std::string &problem);
bool SetParameter(const NamedParameter &named, bool on, SimulationParameters &params, std::string &problem);

// The value as text: "0.2" (the shortest that reads back as the same
// float, always with a point), "4000", "true".
std::string ParameterText(const NamedParameter &named, const SimulationParameters &params);
// Reads that text back; false with `problem` set as for SetParameter.
bool ParseParameterText(const NamedParameter &named, std::string_view text, SimulationParameters &params,
                        std::string &problem);

// The value as a double, which holds a float, a count or a flag exactly.
double ParameterValue(const NamedParameter &named, const SimulationParameters &params);

// Whether the value is the same, bit for bit.
bool SameParameter(const NamedParameter &named, const SimulationParameters &a, const SimulationParameters &b);
