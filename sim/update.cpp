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

bool clockRead = false;
std::uint32_t lastReading = 0;

// The per-frame jitter for every possible draw, RandomRange(-t, t) for the
// x velocity and RandomRange(-0.2t, 0.2t) for y and z: the tables turn the
// three draws of a particle into three reads. They depend on the turbulence
// alone, so they are rebuilt only when it changes.
struct JitterTables {
    std::uint32_t turbulenceBits = 0;
    bool built = false;
    std::array<float, kRandomMax + 1> x;
    std::array<float, kRandomMax + 1> yz;
};

JitterTables jitter;

std::uint32_t Bits(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

const JitterTables &JitterFor(float turbulence) {
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

float NextTimeStep() {
    if (!clockRead) {
        lastReading = ReadMillisecondClock();
        clockRead = true;
    }
    const std::uint32_t reading = ReadMillisecondClock();
    // The unsigned difference stays the true elapsed time across a wrap
    // of the 32-bit counter.
    const std::uint32_t elapsed = reading - lastReading;
    lastReading = reading;

    float dt = static_cast<float>(static_cast<double>(elapsed) * 0.001);
    if (static_cast<double>(dt) >= static_cast<double>(kMaxTimeStep)) dt = kMaxTimeStep;
    return dt;
}

void UpdateParticles() {
    const float dt = NextTimeStep();

    const JitterTables &tables = JitterFor(gParams.turbulence);
    const double dampingStep = static_cast<double>(gParams.damping) * static_cast<double>(dt);
    const double step = dt;
    const float maxAge = gParams.maxAge;

    std::uint32_t state = RandomState();
    const int count = ActiveParticleCount();
    for (int i = 0; i < count; ++i) {
        Particle &p = gParticles[i];
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
            SetRandomState(state);
            SpawnParticle(i);
            state = RandomState();
            p.age = 0.0f;
        }
    }
    SetRandomState(state);
}

void ResetSimulation() {
    gParams = SimulationParameters{};
    SetRandomState(1);
    gParticles.fill(Particle{});
    clockRead = false;
    lastReading = 0;
}
