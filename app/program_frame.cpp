// The program's frame: recorder, smoke, panel and screenshot, in that order.
#include "app/program_frame.h"

#include "app/key_actions.h"
#include "render/frame.h"
#include "render/graphics.h"

void DrawProgramFrame(App &app, std::uint32_t now) {
    const bool panel = app.panelShown;
    app.recorder.FrameStarts(app.params, panel);
    // The update reads the clock twice the first time: once to start from.
    if (!app.smoke.clockStarted) app.recorder.Reading(now);
    app.recorder.Reading(now);
    PanelFrameStarts(app.panel, panel);
    DrawFrame(app.params, app.pool, app.smoke, now, panel ? &app.panel.simulationMs : nullptr);
    if (panel) {
        const PanelRequests requests = DrawPanel(app.panel, app.params);
        app.screenshotRequested = app.screenshotRequested || requests.screenshot;
        if (requests.saveRecording) KeepSessionNow(app);
    }
    // A recording kept, or recording stopped: told once the recorder knows.
    if (app.recorder.HasOutcomes())
        for (const std::string &outcome : app.recorder.TakeOutcomes()) app.panel.outcome.Tell(outcome);
    if (!app.screenshotRequested) return;
    app.screenshotRequested = false;
    app.recorder.Screenshot();
    app.writeScreenshot(app.screenshotPath.c_str(), kDrawableSize, kDrawableSize);
}

void RenderProgramFrame(App &app, std::uint32_t now) {
    DrawProgramFrame(app, now);
    CurrentGraphicsPlatform().swapBuffers();
}
