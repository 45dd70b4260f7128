// The live program's state, in one App handed down by reference: the
// blocks the smoke lives in, the window's messages waiting for the loop,
// the keys and the mouse, whether the panel shows and the panel itself, a
// screenshot asked for, the session's recorder, and what draws the smoke:
// the GL, or the sprite rasterizer on the CPU with the frame it drew.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "panel/panel.h"
#include "raster/sprite_rasterizer.h"
#include "render/graphics.h"
#include "values/recorder.h"
#include "app/screenshot.h"
#include "platform/window_messages.h"
#include "sim/particles.h"

// Key flags and mouse state, all clear at start. A key's flag is its press
// waiting for the key dispatch: set by its key-down, cleared only by the
// action that takes it, so a press whose key-up comes first still acts.
struct InputState {
    std::array<bool, 256> keyDown{};
    bool keyPending = false;  // some key's press waits
    bool dragging = false;
    int mouseX = 0, mouseY = 0;
    int previousX = 0, previousY = 0;
};

struct App {
    // The process-wide blocks: gParams, gParticles and gSmoke in the
    // program.
    App(SimulationParameters &values, ParticlePool &particles, SmokeState &working)
        : params(values), pool(particles), smoke(working) {}
    App(const App &) = delete;
    App &operator=(const App &) = delete;

    SimulationParameters &params;
    ParticlePool &pool;
    SmokeState &smoke;

    MessageQueue messages;  // waiting for the frame loop
    InputState input;
    bool panelShown = false;  // hidden at start
    bool panelDrawn = true;   // false: a replay leaves the recorded panel out of its frames
    Panel panel;
    bool screenshotRequested = false;  // of the next frame
    std::string screenshotPath = kScreenshotFile;  // the working folder's, in the program
    ScreenshotWriter writeScreenshot = SaveScreenshot;
    Recorder recorder;
    LiveView view = kStartupView;  // the drawable and its projection, as the resizes left them
    std::unique_ptr<SpriteRasterizer> rasterizer;  // set: the smoke is drawn on the CPU
    RasterFrame cpuFrame;                          // the last frame it drew
    bool presentCpuFrame = true;  // false: nothing is drawn over it and the capture takes it as it is
    // Shows a CPU frame with nothing drawn over it straight in the window,
    // with no GL; false where it cannot, and the GL shows it. None: the GL.
    bool (*putFrame)(const std::uint8_t *rgba, int width, int height) = nullptr;
    bool frameInWindow = false;  // the last frame went straight in: there is nothing to swap
    bool lookOnly = false;  // on the desktop: no keys, mouse or panel
};
