#include "sim/parameters.h"

SimulationParameters gParams;

void SetParticleCount(std::int32_t count) {
    gParams.particleCount = count;
    gParams.batchCount = count / 1000;
}
