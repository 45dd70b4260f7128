// The parameter block and its comparison.
#include "sim/parameters.h"

#include <tuple>

SimulationParameters gParams;

void SetParticleCount(SimulationParameters &params, std::int32_t count) {
    params.particleCount = count;
    params.batchCount = count / 1000;
}


namespace {
auto Fields(const SimulationParameters &p) {
    return std::tie(p.driftSpeed, p.spreadY, p.spreadZ, p.turbulence, p.maxAge, p.damping, p.particleCount,
                    p.batchCount, p.emitterRadius, p.emitterX, p.constantAlpha, p.pointSize, p.fadeOut,
                    p.fadeIn, p.cameraDistance, p.spinAngle, p.yawAngle, p.pitchAngle);
}
}  // namespace

bool operator==(const SimulationParameters &a, const SimulationParameters &b) { return Fields(a) == Fields(b); }
