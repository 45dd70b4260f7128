#include "values/key_table.h"

#include <strings.h>

namespace {

using P = SimulationParameters;

constexpr KeyAction Step(std::uint8_t key, float P::*value, KeyOperation operation, KeyGuard guard,
                         float bound, float step) {
    return {key, operation, guard, bound, step, value, false, nullptr};
}
constexpr KeyAction Count(std::uint8_t key, KeyOperation operation, KeyGuard guard, float bound) {
    return {key, operation, guard, bound, 2000.0f, nullptr, true, nullptr};
}
constexpr KeyAction Toggle(std::uint8_t key, bool P::*flag) {
    return {key, KeyOperation::Toggle, KeyGuard::Always, 0.0f, 0.0f, nullptr, false, flag};
}

constexpr KeyOperation kAdd = KeyOperation::Add;
constexpr KeyOperation kSub = KeyOperation::Subtract;
constexpr KeyGuard kAtMost = KeyGuard::AtMost;
constexpr KeyGuard kAtLeast = KeyGuard::AtLeast;
constexpr KeyGuard kAlways = KeyGuard::Always;

bool GuardHolds(const KeyAction &row, double value) {
    switch (row.guard) {
    case KeyGuard::AtMost: return value <= static_cast<double>(row.bound);
    case KeyGuard::AtLeast: return value >= static_cast<double>(row.bound);
    case KeyGuard::Always: break;
    }
    return true;
}

}  // namespace

double StepFor(const KeyAction &row, double value) {
    const double step = GuardHolds(row, value) ? static_cast<double>(row.step) : 0.0;
    return row.operation == KeyOperation::Subtract ? -step : step;
}

// In the order the dispatch walks them: the first flagged key wins.
const std::array<KeyAction, kKeyActionCount> kKeyActions = {{
    Step('Q', &P::driftSpeed, kSub, kAtLeast, -15.0f, 0.5f),
    Step('A', &P::driftSpeed, kAdd, kAtMost, 0.5f, 0.5f),
    Step('W', &P::spreadY, kAdd, kAtMost, 4.0f, 0.2f),
    Step('S', &P::spreadY, kSub, kAtLeast, -4.0f, 0.2f),
    Step('E', &P::spreadZ, kAdd, kAtMost, 4.0f, 0.2f),
    Step('D', &P::spreadZ, kSub, kAtLeast, -4.0f, 0.2f),
    Step('R', &P::turbulence, kAdd, kAtMost, 2.0f, 0.1f),
    Step('F', &P::turbulence, kSub, kAtLeast, 0.2f, 0.1f),
    Step('Y', &P::maxAge, kAdd, kAtMost, 10.0f, 0.5f),
    Step('H', &P::maxAge, kSub, kAtLeast, 0.5f, 0.5f),
    Step('U', &P::damping, kAdd, kAtMost, 3.0f, 0.3f),
    Step('J', &P::damping, kSub, kAtLeast, 0.0f, 0.3f),
    Count('I', kAdd, kAtMost, 100000.0f),
    Count('K', kSub, kAtLeast, 2000.0f),
    Step('O', &P::constantAlpha, kAdd, kAtMost, 1.0f, 0.1f),
    Step('L', &P::constantAlpha, kSub, kAtLeast, 0.0f, 0.1f),
    Step('Z', &P::pointSize, kAdd, kAtMost, 200.0f, 4.0f),
    Step('X', &P::pointSize, kSub, kAtLeast, 4.0f, 4.0f),
    Toggle('C', &P::fadeOut),
    Step('V', &P::emitterRadius, kAdd, kAtMost, 1.0f, 0.1f),
    Step('B', &P::emitterRadius, kSub, kAtLeast, 0.0f, 0.1f),
    Step(0x70, &P::emitterX, kAdd, kAtMost, 6.0f, 0.2f),           // F1
    Step(0x71, &P::emitterX, kSub, kAtLeast, 0.0f, 0.2f),          // F2
    Step(0x74, &P::cameraDistance, kSub, kAtLeast, -50.0f, 0.5f),  // F5: farther away
    Step(0x75, &P::cameraDistance, kAdd, kAtMost, -1.0f, 0.5f),    // F6: closer
    Step(0x76, &P::spinAngle, kAdd, kAlways, 0.0f, 5.0f),          // F7, never wrapped
    Step(0x77, &P::spinAngle, kSub, kAlways, 0.0f, 5.0f),          // F8
    {0x09, KeyOperation::Screenshot, kAlways, 0.0f, 0.0f, nullptr, false, nullptr},  // Tab
    Toggle('M', &P::fadeIn),
}};

bool KeyActs(const KeyAction &row, const SimulationParameters &params) {
    switch (row.operation) {
    case KeyOperation::Add:
    case KeyOperation::Subtract:
        return GuardHolds(row, row.countsParticles ? params.particleCount : params.*row.value);
    case KeyOperation::Toggle:
    case KeyOperation::Screenshot:
        break;
    }
    return true;
}

std::string KeyName(std::uint8_t key) {
    if (key == 0x09) return "Tab";
    if (key >= 0x70 && key <= 0x7B) return "F" + std::to_string(key - 0x6F);
    return std::string(1, static_cast<char>(key));
}

int KeyCodeFromName(const std::string &name) {
    const auto named = [&name](std::uint8_t key) { return strcasecmp(KeyName(key).c_str(), name.c_str()) == 0; };
    if (named(kReadoutKey)) return kReadoutKey;
    for (const KeyAction &row : kKeyActions)
        if (named(row.key)) return row.key;
    return -1;
}

