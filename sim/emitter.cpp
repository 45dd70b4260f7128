// The particle pool and the emitter that (re)spawns its particles.
#include <cmath>

#include "sim/particles.h"

ParticlePool gParticles;
SmokeState gSmoke;

int ActiveParticleCount(const SimulationParameters &params) {
    const std::int32_t count = params.particleCount;
    if (count <= 0) return 0;
    return count < kPoolSize ? count : kPoolSize;
}

void SpawnParticle(ParticlePool &pool, int index, std::uint32_t &random, const SimulationParameters &params) {
    Particle &p = pool[static_cast<unsigned>(index)];

    // The angle is a whole number of radians, not degrees.
    const int theta = RandomAngle(random);
    const float r = static_cast<float>(static_cast<double>(RandomRange(random, 0.5f, 1.0f)) *
                                       static_cast<double>(params.emitterRadius));
    const float sinTheta = static_cast<float>(std::sin(static_cast<double>(theta)));
    const float cosTheta = static_cast<float>(std::cos(static_cast<double>(theta)));

    // Two circles of radius r, centred at z = +r and z = -r, touching at
    // the x axis: the emitter's two lobes.
    const double vR = r;
    const double centreZ = (index % 2 == 0) ? vR : -vR;
    p.position = Vector3(params.emitterX, static_cast<float>(vR * sinTheta),
                         static_cast<float>(vR * cosTheta + centreZ));

    const float vz = RandomRange(random, -params.spreadZ, params.spreadZ);
    const float vy = RandomRange(random, -params.spreadY, params.spreadY);
    const float vx = static_cast<float>(
        static_cast<double>(RandomRange(random, -params.turbulence, params.turbulence)) +
        static_cast<double>(params.driftSpeed));
    p.velocity = Vector3(vx, vy, vz);
}

void FillParticlePool(ParticlePool &pool, SmokeState &smoke, const SimulationParameters &params) {
    for (int index = 0; index < kPoolSize; ++index) {
        SpawnParticle(pool, index, smoke.random, params);
        Particle &p = pool[index];
        p.color[0] = p.color[1] = p.color[2] = 0.5f;
        p.ageRate = RandomRange(smoke.random, 0.5f, 2.0f);
        p.age = 0.0f;
    }
}

void ResetSmoke(ParticlePool &pool, SmokeState &smoke) {
    pool.fill(Particle{});
    smoke.random = kRandomSeed;
    smoke.jitter.built = false;
    smoke.clockStarted = false;
    smoke.lastReading = 0;
}
