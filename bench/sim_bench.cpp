// Cost of the simulation: one update frame at the start count and at the
// full pool, and the start-up fill.
#include <benchmark/benchmark.h>

#include "sim/particles.h"
#include "tests/sim_support.h"

namespace {

void BM_UpdateParticles(benchmark::State &state) {
    ResetSimulation();
    FillParticlePool(gParticles, gSmoke, gParams);
    SetParticleCount(gParams, static_cast<std::int32_t>(state.range(0)));
    // 8 ms a frame, so particles keep ageing and respawning as they would.
    std::uint32_t now = 0;
    for (auto _ : state) {
        UpdateParticles(gParticles, gSmoke, gParams, now += 8);
        benchmark::DoNotOptimize(gParticles.data());
    }
    state.counters["ns_per_particle"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * static_cast<double>(state.range(0)),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_UpdateParticles)->Arg(4000)->Arg(100000)->Unit(benchmark::kMicrosecond);

// The straightforward loop the update is checked against, for comparison.
void BM_PlainUpdateLoop(benchmark::State &state) {
    ResetSimulation();
    FillParticlePool(gParticles, gSmoke, gParams);
    SetParticleCount(gParams, static_cast<std::int32_t>(state.range(0)));
    for (auto _ : state) {
        ReferenceUpdate(0.008f);
        benchmark::DoNotOptimize(gParticles.data());
    }
    state.counters["ns_per_particle"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * static_cast<double>(state.range(0)),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_PlainUpdateLoop)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_FillParticlePool(benchmark::State &state) {
    for (auto _ : state) {
        ResetSimulation();
        FillParticlePool(gParticles, gSmoke, gParams);
        benchmark::DoNotOptimize(gParticles.data());
    }
}
BENCHMARK(BM_FillParticlePool)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
