// Nimbrel: opens the window, sets up the graphics and the scene, runs the
// frame loop until the window is closed, and tears the graphics down.
// Its command line has --help, --version, --preset, --resume, --record,
// --fullscreen, --renderer, --threads, --set and --max-fps, and
// --window-id, --root and --wallpaper (with --delay), which draw on the
// desktop to look at and record nothing. Every session is recorded and
// kept at exit.
#include <cstdio>
#include <string>
#include <vector>

#include "app/app.h"
#include "io/command_line.h"
#include "app/frame_loop.h"
#include "values/preset_file.h"
#include "values/presets.h"
#include "app/program_frame.h"
#include "app/scene.h"
#include "io/user_message.h"
#include "platform/sdl_platform.h"
#include "render/graphics.h"
#include "render/read_back.h"
#include "sim/particles.h"

namespace {

// A frame on the desktop: drawn into the window's size as it is now, the
// view keeping its height as the capture's frames of another size do.
void RenderDesktopFrame(App &app, std::uint32_t now) {
    int width = 0, height = 0, drawnWidth = 0, drawnHeight = 0;
    FrameSize(drawnWidth, drawnHeight);
    // A window gone is not drawn into; the run ends at the next pass.
    if (!DesktopWindowSize(width, height)) return;
    if (width > 0 && height > 0 && (width != drawnWidth || height != drawnHeight))
        SetFrameView(kStartupView, width, height);
    RenderProgramFrame(app, now);
}

// The desktop modes' rate when none is given: smoke to look at, which
// needs no more to move smoothly, at a fraction of the cost.
constexpr double kDesktopFramesPerSecond = 30.0;

// How the loop paces its frames: at the rate asked for; else the desktop
// modes at kDesktopFramesPerSecond, and the window at the display's
// refresh rate where no swap already waits for it (a software GL, or a
// frame put straight in the window, waits for nothing).
FramePacing Pacing(const ProgramCommand &command, bool desktop, bool swapWaits) {
    FramePacing pacing;
    pacing.wait = WaitForSdlEvents;
    pacing.seen = WindowSeen;
    if (command.frameIntervalMs != kPaceByMode)
        pacing.intervalMs = command.frameIntervalMs;
    else if (desktop)
        pacing.intervalMs = 1000.0 / kDesktopFramesPerSecond;
    else if (!swapWaits)
        pacing.intervalMs = 1000.0 / DisplayRefreshRate();
    return pacing;
}

}  // namespace

int main(int argc, char **argv) {
    const ProgramCommand command = ParseProgramCommand(std::vector<std::string>(argv + 1, argv + argc));
    switch (command.outcome) {
    case CommandOutcome::Help:
        std::fputs(ProgramUsage(), stdout);
        return 0;
    case CommandOutcome::Version:
        std::puts("nimbrel " NIMBREL_VERSION);
        return 0;
    case CommandOutcome::UsageError:
        PrintDiagnostic(command.error + "\nTry 'nimbrel --help' for more information.");
        return 2;
    case CommandOutcome::Run:
        break;
    }

    // The program's state: the process-wide blocks, handed down.
    App app(gParams, gParticles, gSmoke);
    app.panel.live = true;  // kept in place between runs, with notices

    // A preset's values are in place before the pool is filled, so the
    // first frame already shows the look.
    if (!command.preset.empty()) {
        const PresetLoad preset = LoadPreset(command.preset, ProgramFolder());
        if (!preset.ok) {
            PrintDiagnostic(preset.error);
            return 2;
        }
        app.params = preset.params;
    }
    std::string problem;
    if (command.resume) {
        const RecordingLoad last = ReadRecordingFile(RecordingPath(kLastSession));
        if (!last.ok) {
            PrintDiagnostic(last.error);
            return 2;
        }
        if (!last.notice.empty()) PrintDiagnostic(last.notice);
        app.params = last.recording.FinalValues();
    }
    for (const std::string &setting : command.settings) {
        if (!ApplySetting(setting, app.params, problem)) {
            PrintDiagnostic(problem + "\nTry 'nimbrel --help' for more information.");
            return 2;
        }
    }
    // --record FILE must be possible before the session begins.
    if (!command.record.empty() && !CanWriteRecording(command.record, problem)) {
        PrintDiagnostic(problem);
        return 2;
    }

    SetMessageSink(ShowSdlMessage);
    SetGraphicsPlatform(SdlGraphicsPlatform());

    // The window or its context cannot be made: the reason goes to the
    // standard error. On the desktop with no X display: a usage error.
    const bool desktop = command.desktop != DesktopMode::None;
    bool missing = false;
    if (desktop ? !OpenDesktopWindow(command.desktop, command.windowId, missing)
                : !OpenMainWindow(WindowMode::OnScreen, command.fullscreen)) {
        PrintDiagnostic(PlatformError());
        return desktop && !missing ? 2 : 1;
    }
    if (!InitGraphics(ShowGraphicsWarning)) {
        PrintDiagnostic(PlatformError());
        CloseMainWindow();
        return 1;
    }
    // Where no GPU draws, the sprite rasterizer draws the GL's very bytes,
    // far faster.
    // On the desktop, smoke left running takes one core at most, on one
    // thread, unless --threads says otherwise.
    const RendererChoice renderer = command.drawing.renderer;
    const int threads = desktop && command.drawing.threads == 0 ? 1 : command.drawing.threads;
    ChooseRenderer(app, renderer == RendererChoice::Cpu || (renderer == RendererChoice::Auto && SoftwareRenderer()),
                   threads, InitScene(app.params, app.pool, app.smoke));
    app.panel.renderer = app.rasterizer ? "CPU" : "GL";
    app.putFrame = PutFrameInWindow;
    const FramePacing pacing = Pacing(command, desktop, !app.rasterizer && !SoftwareRenderer() && SwapWaitsForDisplay());
    app.panel.capFps = pacing.intervalMs > 0.0 ? 1000.0 / pacing.intervalMs : 0.0;
    if (desktop) {
        // To look at: nothing is recorded, kept or written.
        app.lookOnly = true;
        const int exitCode = RunFrameLoop(app, PumpSdlEvents, SdlMilliseconds, RenderDesktopFrame, pacing);
        ShutdownGraphics();
        CloseMainWindow();
        return exitCode;
    }
    // Recorded from the first frame, into the session's journal.
    int width = 0, height = 0;
    DrawableSize(width, height);
    app.view = {width, height, false};
    if (!app.recorder.Start(RecordingsFolder(), NIMBREL_VERSION, width, height, RendererName(app), app.params,
                            app.panelShown, problem))
        PrintDiagnostic(problem);

    const int exitCode = RunFrameLoop(app, PumpSdlEvents, SdlMilliseconds, RenderProgramFrame, pacing);

    // Every orderly exit closes the session's journal, whole.
    const auto tell = [](bool done, const std::string &message) {
        if (done)
            PrintOutputLine(message + "\n");
        else
            PrintDiagnostic(message);
    };
    for (const std::string &outcome : app.recorder.TakeOutcomes()) PrintOutputLine(outcome + "\n");
    std::string kept;
    const bool finished = app.recorder.Finish(kept);
    tell(finished, kept);
    if (finished && !command.record.empty()) tell(CopyRecording(app.recorder.JournalPath(), command.record, kept), kept);

    ShutdownPanel(app.panel);
    ShutdownGraphics();
    CloseMainWindow();
    return exitCode;
}
