// Helpers for simulation tests: a scripted clock, a straightforward update
// loop written step by step as the behaviour is described, and a digest of
// the pool's bytes.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "sim/particles.h"

// A clock that returns the queued readings in order and then keeps
// returning the last one. Counts how often it was read.
struct ScriptedClock {
    static std::vector<std::uint32_t> readings;
    static std::size_t next;
    static int reads;

    static std::uint32_t Read() {
        ++reads;
        if (readings.empty()) return 0;
        const std::uint32_t value = readings[next < readings.size() ? next : readings.size() - 1];
        if (next < readings.size()) ++next;
        return value;
    }
    static void Install(std::vector<std::uint32_t> values) {
        readings = std::move(values);
        next = 0;
        reads = 0;
        SetMillisecondClock(&ScriptedClock::Read);
    }
};

// One frame of the update as a plain loop, drawing through RandomRange in
// the described order; the real update must match it bit for bit.
inline void ReferenceUpdate(float dt) {
    const float turbulence = gParams.turbulence;
    const float small =
        static_cast<float>(static_cast<double>(0.2f) * static_cast<double>(turbulence));
    for (int i = 0; i < gParams.particleCount && i < kPoolSize; ++i) {
        Particle &p = gParticles[i];
        p.position += p.velocity * dt;
        p.velocity.x = static_cast<float>(static_cast<double>(p.velocity.x) +
                                          RandomRange(-turbulence, turbulence));
        p.velocity.z = static_cast<float>(static_cast<double>(p.velocity.z) +
                                          RandomRange(-small, small));
        p.velocity.y = static_cast<float>(static_cast<double>(p.velocity.y) +
                                          RandomRange(-small, small));
        p.velocity.x = static_cast<float>(
            static_cast<double>(p.velocity.x) -
            static_cast<double>(p.velocity.x) *
                (static_cast<double>(gParams.damping) * static_cast<double>(dt)));
        p.age = static_cast<float>(static_cast<double>(p.age) +
                                   static_cast<double>(p.ageRate) * static_cast<double>(dt));
        if (p.age > gParams.maxAge) {
            SpawnParticle(i);
            p.age = 0.0f;
        }
    }
}

// FNV-1a over the pool's bytes.
inline std::uint64_t PoolDigest() {
    std::uint64_t hash = 1469598103934665603ull;
    const auto *bytes = reinterpret_cast<const unsigned char *>(gParticles.data());
    for (std::size_t i = 0; i < sizeof(gParticles); ++i) {
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
