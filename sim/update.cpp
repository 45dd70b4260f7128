// The per-frame particle update.
#include <cstring>

#include "sim/particles.h"

namespace {

// Three generator steps at once: state * a^3 + c * (a^2 + a + 1). The
// update takes exactly three draws per particle, so it can step its state
// by this jump and derive the three draws from the state it started with,
// which keeps the long chain of dependent multiplies out of the loop.
constexpr std::uint32_t kMul2 = kRandomMultiplier * kRandomMultiplier;
constexpr std::uint32_t kAdd2 = kRandomIncrement * kRandomMultiplier + kRandomIncrement;
constexpr std::uint32_t kMul3 = kMul2 * kRandomMultiplier;
constexpr std::uint32_t kAdd3 = kAdd2 * kRandomMultiplier + kRandomIncrement;

// The longest step the update takes, in seconds: 1/30 as a float.
constexpr float kMaxTimeStep = 0.033333335f;

std::uint32_t Bits(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

const JitterTables &JitterFor(JitterTables &jitter, float turbulence) {
    if (jitter.built && jitter.turbulenceBits == Bits(turbulence)) return jitter;
    const float small =
        static_cast<float>(static_cast<double>(0.2f) * static_cast<double>(turbulence));
    for (int r = 0; r <= kRandomMax; ++r) {
        jitter.x[r] = ScaleUnit(-turbulence, turbulence, RandomUnit(r));
        jitter.yz[r] = ScaleUnit(-small, small, RandomUnit(r));
    }
    jitter.turbulenceBits = Bits(turbulence);
    jitter.built = true;
    return jitter;
}

// value + jitter: one float addition, exactly the double sum rounded once.
float AddJitter(float value, const std::array<float, kRandomMax + 1> &table,
                std::uint32_t state) {
    return value + table[DrawFromState(state)];
}

}  // namespace

void StartSmokeClock(SmokeState &smoke, std::uint32_t reading) {
    smoke.lastReading = reading;
    smoke.clockStarted = true;
}

float NextTimeStep(SmokeState &smoke, std::uint32_t now) {
    if (!smoke.clockStarted) StartSmokeClock(smoke, now);
    // The unsigned difference stays the true elapsed time across a wrap
    // of the 32-bit counter.
    const std::uint32_t elapsed = now - smoke.lastReading;
    smoke.lastReading = now;

    float dt = static_cast<float>(static_cast<double>(elapsed) * 0.001);
    if (static_cast<double>(dt) >= static_cast<double>(kMaxTimeStep)) dt = kMaxTimeStep;
    return dt;
}

void UpdateParticles(ParticlePool &pool, SmokeState &smoke, const SimulationParameters &params, std::uint32_t now) {
    const float dt = NextTimeStep(smoke, now);

    const JitterTables &tables = JitterFor(smoke.jitter, params.turbulence);
    const double dampingStep = static_cast<double>(params.damping) * static_cast<double>(dt);
    const double step = dt;
    const float maxAge = params.maxAge;

    std::uint32_t state = smoke.random;
    const int count = ActiveParticleCount(params);
    for (int i = 0; i < count; ++i) {
        Particle &p = pool[i];
        // Work on a copy held in registers and store it back whole: mixing
        // narrow stores with wide reloads of the same record stalls.
        Vector3 velocity = p.velocity;
        Vector3 position = p.position;
        position += velocity * dt;

        const std::uint32_t drawX = state * kRandomMultiplier + kRandomIncrement;
        const std::uint32_t drawZ = state * kMul2 + kAdd2;
        state = state * kMul3 + kAdd3;
        const double vx = AddJitter(velocity.x, tables.x, drawX);
        velocity.z = AddJitter(velocity.z, tables.yz, drawZ);
        velocity.y = AddJitter(velocity.y, tables.yz, state);
        velocity.x = static_cast<float>(vx - vx * dampingStep);

        const float age = static_cast<float>(static_cast<double>(p.age) +
                                             static_cast<double>(p.ageRate) * step);
        p.position = position;
        p.velocity = velocity;
        p.age = age;
        if (age > maxAge) {
            SpawnParticle(pool, i, state, params);
            p.age = 0.0f;
        }
    }
    smoke.random = state;
}
