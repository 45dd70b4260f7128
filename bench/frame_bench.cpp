// Cost of a real frame on the GL at hand, off screen (a hidden window on
// the display when there is one, else EGL with no X server): the frame
// routine, its simulation step, the panel's cost, and what a
// capture adds to a frame: the read-back and the PNG file. The drawing's
// own cost is the frame's less its simulation. Times are wall-clock
// milliseconds per frame: a software renderer works on threads of its own.
// BM_Draw sets the two renderers side by side on the same smoke: the GL
// and the sprite rasterizer, on every core and on one.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/program_frame.h"
#include "platform/sdl_platform.h"
#include "image/png_writer.h"
#include "render/frame.h"
#include "render/gl.h"
#include "render/graphics.h"
#include "render/read_back.h"
#include "raster/sprite_rasterizer.h"
#include "app/scene.h"
#include "sim/particles.h"
#include "tests/sim_support.h"

namespace {

constexpr int kSize = kDrawableSize;

App app(gParams, gParticles, gSmoke);

std::string ScratchPng() { return "/tmp/nimbrel-bench-" + std::to_string(getpid()) + ".png"; }

void Prepare(benchmark::State &state) {
    ResetSimulation();
    FillParticlePool(gParticles, gSmoke, gParams);
    SetParticleCount(gParams, static_cast<std::int32_t>(state.range(0)));
}

// The frame's smoke at the clock's reading now, as the program draws it.
void DrawSmoke() { DrawFrame(gParams, gParticles, gSmoke, SdlMilliseconds()); }
void RenderSmoke() {
    DrawSmoke();
    CurrentGraphicsPlatform().swapBuffers();
}

void BM_Frame(benchmark::State &state) {
    Prepare(state);
    for (auto _ : state) {
        RenderSmoke();
        glFinish();
    }
}

// The program's frame with the panel: second argument 0 hidden (for the
// side-by-side figure), 1 shown and idle (drawn from its cached texture), 2
// with the mouse over it (drawn live every frame). The CPU column is the
// main thread's cost.
void BM_FrameWithPanel(benchmark::State &state) {
    Prepare(state);
    app.panelShown = state.range(1) != 0;
    const int pointer = state.range(1) == 2 ? 20 : 700;  // over the panel's corner, or the smoke
    PanelTakesMessage(app.panel, app.panelShown, {MessageKind::MouseMove, PackLowHigh(pointer, pointer)});
    for (auto _ : state) {
        RenderProgramFrame(app, SdlMilliseconds());
        glFinish();
    }
    app.panelShown = false;
}

void BM_FrameSimulation(benchmark::State &state) {
    Prepare(state);
    for (auto _ : state) UpdateParticles(gParticles, gSmoke, gParams, SdlMilliseconds());
}

// A capture's frame: drawn, read back and saved as a PNG before the swap.
void BM_CaptureFrame(benchmark::State &state) {
    Prepare(state);
    std::vector<unsigned char> rgb(3 * kSize * kSize);
    const std::string path = ScratchPng();
    std::string error;
    for (auto _ : state) {
        DrawSmoke();
        ReadBackRgb(kSize, kSize, rgb.data());
        if (!WritePng(path, rgb.data(), kSize, kSize, 1, error)) state.SkipWithError(error.c_str());
        CurrentGraphicsPlatform().swapBuffers();
    }
    std::remove(path.c_str());
}

void BM_ReadBack(benchmark::State &state) {
    Prepare(state);
    RenderSmoke();
    std::vector<unsigned char> rgb(3 * kSize * kSize);
    for (auto _ : state) ReadBackRgb(kSize, kSize, rgb.data());
}

void BM_WritePng(benchmark::State &state) {
    Prepare(state);
    for (int i = 0; i < 60; ++i) RenderSmoke();  // a plume, not a dot
    DrawSmoke();
    std::vector<unsigned char> rgb(3 * kSize * kSize);
    ReadBackRgb(kSize, kSize, rgb.data());
    const std::string path = ScratchPng();
    std::string error;
    const Durability durability = state.range(1) ? Durability::Synced : Durability::Unsynced;
    for (auto _ : state)
        if (!WritePng(path, rgb.data(), kSize, kSize, 1, error, durability)) state.SkipWithError(error.c_str());
    std::remove(path.c_str());
}

// A capture's PNG file at a frame size of its own (--size), 4,000
// particles: the smoke drawn at 800 x 800 and stretched to the size, as a
// stand-in with the same content; the capture's pool of writers runs
// several of these side by side.
void BM_WritePngAtSize(benchmark::State &state) {
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    ResetSimulation();
    FillParticlePool(gParticles, gSmoke, gParams);
    for (int i = 0; i < 60; ++i) RenderSmoke();
    DrawSmoke();
    std::vector<unsigned char> frame(3 * kSize * kSize), rgb(3u * width * height);
    ReadBackRgb(kSize, kSize, frame.data());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                rgb[3u * (static_cast<std::size_t>(y) * width + x) + c] =
                    frame[3u * (static_cast<std::size_t>(y * kSize / height) * kSize + x * kSize / width) + c];
    const std::string path = ScratchPng();
    std::string error;
    for (auto _ : state)
        if (!WritePng(path, rgb.data(), width, height, 1, error, Durability::Unsynced))
            state.SkipWithError(error.c_str());
    std::remove(path.c_str());
}

// The drawing alone, no simulation step, of the same smoke (the plume
// after five seconds at the count asked for) by each renderer: renderer
// 0 the GL (to the end of its drawing), 1 the rasterizer on every core, 2
// on one; then the count, the sprite size and the frame's size.
SpriteTexture benchTexture;
void BM_Draw(benchmark::State &state) {
    const int renderer = static_cast<int>(state.range(0));
    const int width = static_cast<int>(state.range(3)), height = static_cast<int>(state.range(4));
    ResetSimulation();
    FillParticlePool(gParticles, gSmoke, gParams);
    SetParticleCount(gParams, static_cast<std::int32_t>(state.range(1)));
    for (std::uint32_t now = 16; now <= 300 * 16; now += 16) UpdateParticles(gParticles, gSmoke, gParams, now);
    gParams.pointSize = static_cast<float>(state.range(2));
    SpriteRasterizer rasterizer(renderer == 2 ? 1 : 0);
    rasterizer.SetTexture(benchTexture);
    RasterFrame frame;
    SetFrameView(kStartupView, width, height);
    for (auto _ : state) {
        if (renderer == 0) {
            DrawSmoke(gParams, gParticles);
            glFinish();
        } else {
            rasterizer.Draw(gParams, gParticles, kStartupView, width, height, frame);
        }
    }
    SetFrameView(kStartupView, kSize, kSize);
    state.SetLabel(renderer == 0 ? "gl" : renderer == 1 ? "cpu" : "cpu, 1 thread");
}

void DrawArguments(benchmark::internal::Benchmark *bench) {
    for (const std::array<int, 4> scene : {std::array<int, 4>{4000, 30, 800, 800}, {100000, 30, 800, 800},
                                           {100000, 100, 800, 800}, {4000, 200, 800, 800},
                                           {100000, 30, 1920, 1080}, {100000, 30, 3840, 2160}})
        for (int renderer = 0; renderer < 3; ++renderer)
            bench->Args({renderer, scene[0], scene[1], scene[2], scene[3]});
}

BENCHMARK(BM_Draw)->Apply(DrawArguments)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Frame)->Arg(4000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FrameWithPanel)->Args({4000, 0})->Args({4000, 1})->Args({4000, 2})->Args({0, 0})->Args({0, 1})->Args({0, 2})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FrameSimulation)->Arg(4000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CaptureFrame)->Arg(4000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadBack)->Arg(4000)->Unit(benchmark::kMillisecond)->UseRealTime();
// The second argument: 1 syncs the file and its folder, as for a kept
// picture; 0 leaves it to the kernel, as for a capture's frames.
BENCHMARK(BM_WritePng)->Args({4000, 0})->Args({4000, 1})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WritePngAtSize)->Args({800, 800})->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char **argv) {
    SetGraphicsPlatform(SdlGraphicsPlatform());
    // Large enough for BM_Draw's frames; the others draw 800 x 800 along
    // its top edge, as into a surface of their own.
    if (!OpenMainWindow(WindowMode::OffScreen, false, 3840, 2160) || !InitGraphics(nullptr)) {
        std::fprintf(stderr, "frame_bench: no GL context, on a display or off screen\n");
        return 1;
    }
    benchTexture = MakeParticleTexture(ProgramFolder());
    SetFrameView(kStartupView, kSize, kSize);
    ClampStartupPointSize(gParams);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    ShutdownPanel(app.panel);
    ShutdownGraphics();
    CloseMainWindow();
    return 0;
}
