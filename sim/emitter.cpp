// The particle pool and the emitter that (re)spawns its particles.
#include <cmath>

#include "sim/particles.h"

ParticlePool gParticles;

int ActiveParticleCount() {
    const std::int32_t count = gParams.particleCount;
    if (count <= 0) return 0;
    return count < kPoolSize ? count : kPoolSize;
}

void SpawnParticle(int index) {
    Particle &p = gParticles[static_cast<unsigned>(index)];

    // The angle is a whole number of radians, not degrees.
    const int theta = RandomAngle();
    const float r = static_cast<float>(static_cast<double>(RandomRange(0.5f, 1.0f)) *
                                       static_cast<double>(gParams.emitterRadius));
    const float sinTheta = static_cast<float>(std::sin(static_cast<double>(theta)));
    const float cosTheta = static_cast<float>(std::cos(static_cast<double>(theta)));

    // Two circles of radius r, centred at z = +r and z = -r, touching at
    // the x axis: the emitter's two lobes.
    const double vR = r;
    const double centreZ = (index % 2 == 0) ? vR : -vR;
    p.position = Vector3(gParams.emitterX, static_cast<float>(vR * sinTheta),
                         static_cast<float>(vR * cosTheta + centreZ));

    const float vz = RandomRange(-gParams.spreadZ, gParams.spreadZ);
    const float vy = RandomRange(-gParams.spreadY, gParams.spreadY);
    const float vx = static_cast<float>(
        static_cast<double>(RandomRange(-gParams.turbulence, gParams.turbulence)) +
        static_cast<double>(gParams.driftSpeed));
    p.velocity = Vector3(vx, vy, vz);
}

void FillParticlePool() {
    for (int index = 0; index < kPoolSize; ++index) {
        SpawnParticle(index);
        Particle &p = gParticles[index];
        p.color[0] = p.color[1] = p.color[2] = 0.5f;
        p.ageRate = RandomRange(0.5f, 2.0f);
        p.age = 0.0f;
    }
}
