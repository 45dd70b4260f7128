// The program's frame: recorder, smoke, screenshot, then the panel and the
// notices, in that order.
#include "app/program_frame.h"

#include "app/key_actions.h"
#include "render/frame.h"
#include "render/graphics.h"
#include "render/read_back.h"

void DrawProgramFrame(App &app, std::uint32_t now) {
    const bool panel = app.panelShown;
    app.recorder.FrameStarts(app.params, panel);
    // The update reads the clock twice the first time: once to start from.
    if (!app.smoke.clockStarted) app.recorder.Reading(now);
    app.recorder.Reading(now);
    PanelFrameStarts(app.panel, panel);
    DrawFrame(app.params, app.pool, app.smoke, now, panel ? &app.panel.simulationMs : nullptr);
    // The screenshot holds the smoke alone, the whole drawable: read back
    // before the panel and the notices are drawn over it.
    if (app.screenshotRequested) {
        app.screenshotRequested = false;
        app.recorder.Screenshot();
        int width = 0, height = 0;
        FrameSize(width, height);
        app.panel.outcome.notices.Tell(app.writeScreenshot(app.screenshotPath.c_str(), width, height).notice);
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
