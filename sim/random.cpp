#include "sim/random.h"

#include <array>

namespace {

std::uint32_t randomState = 1;

std::array<float, kRandomMax + 1> MakeUnitTable() {
    std::array<float, kRandomMax + 1> table{};
    for (int r = 0; r <= kRandomMax; ++r)
        table[r] = static_cast<float>(static_cast<double>(r) / static_cast<double>(kRandomMax));
    return table;
}

}  // namespace

const std::array<float, kRandomMax + 1> kRandomUnits = MakeUnitTable();

int NextRandom() {
    randomState = randomState * kRandomMultiplier + kRandomIncrement;
    return DrawFromState(randomState);
}

float RandomRange(float lo, float hi) { return ScaleUnit(lo, hi, RandomUnit(NextRandom())); }

int RandomAngle() { return NextRandom() % 360; }

std::uint32_t RandomState() { return randomState; }

void SetRandomState(std::uint32_t state) { randomState = state; }
