// Helpers for simulation tests: a fresh start, a straightforward update
// loop written step by step as the behaviour is described, and a digest of
// the pool's bytes.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "sim/particles.h"

// The process-wide blocks as at program load.
inline void ResetSimulation() {
    gParams = SimulationParameters{};
    ResetSmoke(gParticles, gSmoke);
}

// One frame of the update as a plain loop over the pool, drawing through
// RandomRange in the described order; the real update must match it bit
// for bit.
inline void ReferenceUpdate(float dt, ParticlePool &pool = gParticles, std::uint32_t &random = gSmoke.random,
                            const SimulationParameters &params = gParams) {
    const float turbulence = params.turbulence;
    const float small =
        static_cast<float>(static_cast<double>(0.2f) * static_cast<double>(turbulence));
    for (int i = 0; i < params.particleCount && i < kPoolSize; ++i) {
        Particle &p = pool[i];
        p.position += p.velocity * dt;
        p.velocity.x = static_cast<float>(static_cast<double>(p.velocity.x) +
                                          RandomRange(random, -turbulence, turbulence));
        p.velocity.z = static_cast<float>(static_cast<double>(p.velocity.z) +
                                          RandomRange(random, -small, small));
        p.velocity.y = static_cast<float>(static_cast<double>(p.velocity.y) +
                                          RandomRange(random, -small, small));
        p.velocity.x = static_cast<float>(
            static_cast<double>(p.velocity.x) -
            static_cast<double>(p.velocity.x) *
                (static_cast<double>(params.damping) * static_cast<double>(dt)));
        p.age = static_cast<float>(static_cast<double>(p.age) +
                                   static_cast<double>(p.ageRate) * static_cast<double>(dt));
        if (p.age > params.maxAge) {
            SpawnParticle(pool, i, random, params);
            p.age = 0.0f;
        }
    }
}

// FNV-1a over the pool's bytes.
inline std::uint64_t PoolDigest(const ParticlePool &pool = gParticles) {
    std::uint64_t hash = 1469598103934665603ull;
    const auto *bytes = reinterpret_cast<const unsigned char *>(pool.data());
    for (std::size_t i = 0; i < sizeof(pool); ++i) {
        hash ^= bytes[i];
        hash *= 1099511628211ull;
    }
    return hash;
}

inline std::uint32_t FloatBits(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}
