// The program's frame: recorder, smoke, screenshot, then the panel and the
// notices, in that order.
#include "app/program_frame.h"

#include <chrono>

#include "app/key_actions.h"
#include "render/frame.h"
#include "render/graphics.h"
#include "render/present.h"
#include "render/read_back.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The smoke on the CPU: the simulation step, the frame drawn by the
// rasterizer as the GL would draw it in this viewport, and shown: straight
// in the window where nothing is drawn over it, which spares a software GL
// drawing the whole frame again as a quad; else through the GL.
void DrawCpuFrame(App &app, std::uint32_t now, double *simulationMs, int width, int height, bool drawnOver) {
    const auto start = Clock::now();
    UpdateParticles(app.pool, app.smoke, app.params, now);
    if (simulationMs) *simulationMs = MsSince(start);
    app.rasterizer->Draw(app.params, app.pool, app.view, width, height, app.cpuFrame);
    if (!app.presentCpuFrame) return;
    const std::uint8_t *rgba = app.cpuFrame.rgba.data();
    app.frameInWindow = !drawnOver && app.putFrame && app.putFrame(rgba, width, height);
    if (!app.frameInWindow) PresentFrame(rgba, width, height);
}

}  // namespace

void DrawProgramFrame(App &app, std::uint32_t now) {
    const auto start = Clock::now();
    const bool panel = app.panelShown;
    app.frameInWindow = false;
    app.recorder.FrameStarts(app.params, panel, app.view);
    // The update reads the clock twice the first time: once to start from.
    if (!app.smoke.clockStarted) app.recorder.Reading(now);
    app.recorder.Reading(now);
    PanelFrameStarts(app.panel, panel);
    int width = 0, height = 0;
    FrameSize(width, height);
    double *simulationMs = panel ? &app.panel.simulationMs : nullptr;
    if (app.rasterizer)
        DrawCpuFrame(app, now, simulationMs, width, height, PanelDrawsOver(app.panel, panel && app.panelDrawn));
    else
        DrawFrame(app.params, app.pool, app.smoke, now, simulationMs);
    // The screenshot holds the smoke alone, the whole drawable: the CPU's
    // frame as drawn, or the GL's read back before the panel and the
    // notices are drawn over it.
    if (app.screenshotRequested) {
        app.screenshotRequested = false;
        app.recorder.Screenshot();
        const std::uint8_t *drawn = app.rasterizer ? app.cpuFrame.rgba.data() : nullptr;
        app.panel.outcome.notices.Tell(app.writeScreenshot(app.screenshotPath.c_str(), width, height, drawn).notice);
    }
    const PanelRequests requests = DrawPanel(app.panel, app.params, panel && app.panelDrawn, now);
    // The panel's Screenshot button is taken by the next frame, as Tab is.
    app.screenshotRequested = app.screenshotRequested || requests.screenshot;
    if (requests.saveRecording) KeepSessionNow(app);
    // A recording kept, or recording stopped: told once the recorder knows.
    if (app.recorder.HasOutcomes())
        for (const std::string &outcome : app.recorder.TakeOutcomes()) app.panel.outcome.Tell(outcome);
    app.panel.workMs = MsSince(start);
}

void RenderProgramFrame(App &app, std::uint32_t now) {
    const auto start = Clock::now();
    DrawProgramFrame(app, now);
    if (!app.frameInWindow) CurrentGraphicsPlatform().swapBuffers();
    app.panel.workMs = MsSince(start);
}
