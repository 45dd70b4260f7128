// Cost of a real frame on the current display (run it under Xvfb for
// Mesa's software renderer): the whole frame, and its simulation and
// drawing halves, at the start count and at the full pool. Times are wall
// clock milliseconds per frame: the software renderer works on threads of
// its own.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "app/sdl_platform.h"
#include "render/frame.h"
#include "render/gl.h"
#include "render/graphics.h"
#include "sim/particles.h"

namespace {

void Prepare(benchmark::State &state) {
    ResetSimulation();
    FillParticlePool();
    SetMillisecondClock(SdlMilliseconds);
    SetParticleCount(static_cast<std::int32_t>(state.range(0)));
}

void BM_Frame(benchmark::State &state) {
    Prepare(state);
    for (auto _ : state) {
        RenderFrame();
        glFinish();
    }
}

void BM_FrameSimulation(benchmark::State &state) {
    Prepare(state);
    for (auto _ : state) UpdateParticles();
}

// Everything RenderFrame does except the simulation step.
void BM_FrameDrawing(benchmark::State &state) {
    Prepare(state);
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(0.0f, 0.0f, gParams.cameraDistance);
        glBindTexture(GL_TEXTURE_2D, gParticleTexture);
        DrawParticles(gParams.batchCount);
        CurrentGraphicsPlatform().swapBuffers();
        glFinish();
    }
}

BENCHMARK(BM_Frame)->Arg(4000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FrameSimulation)->Arg(4000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FrameDrawing)->Arg(4000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char **argv) {
    SetGraphicsPlatform(SdlGraphicsPlatform());
    if (!OpenMainWindow() || !InitGraphics()) {
        std::fprintf(stderr, "frame_bench: needs a display with GL\n");
        return 1;
    }
    ClampStartupPointSize();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ShutdownGraphics();
    CloseMainWindow();
    return 0;
}
