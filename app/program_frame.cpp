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

// The smoke on the CPU: the simulation step, the frame drawn by the
// rasterizer as the GL would draw it in this viewport, and shown.
void DrawCpuFrame(App &app, std::uint32_t now, double *simulationMs, int width, int height) {
    const auto start = std::chrono::steady_clock::now();
    UpdateParticles(app.pool, app.smoke, app.params, now);
    if (simulationMs)
        *simulationMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    app.rasterizer->Draw(app.params, app.pool, app.view, width, height, app.cpuFrame);
    if (app.presentCpuFrame) PresentFrame(app.cpuFrame.rgba.data(), width, height);
}

}  // namespace

void DrawProgramFrame(App &app, std::uint32_t now) {
    const bool panel = app.panelShown;
    app.recorder.FrameStarts(app.params, panel, app.view);
    // The update reads the clock twice the first time: once to start from.
    if (!app.smoke.clockStarted) app.recorder.Reading(now);
    app.recorder.Reading(now);
    PanelFrameStarts(app.panel, panel);
    int width = 0, height = 0;
    FrameSize(width, height);
    double *simulationMs = panel ? &app.panel.simulationMs : nullptr;
    if (app.rasterizer)
        DrawCpuFrame(app, now, simulationMs, width, height);
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
}

void RenderProgramFrame(App &app, std::uint32_t now) {
    DrawProgramFrame(app, now);
    CurrentGraphicsPlatform().swapBuffers();
}
