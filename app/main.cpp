// Nimbrel: opens the window, sets up the graphics and the scene, runs the
// frame loop until the window is closed, and tears the graphics down.
// Its command line has --help, --version, --preset, --resume, --record and
// --fullscreen. Every session is recorded and kept at exit.
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/frame_loop.h"
#include "app/presets.h"
#include "app/program_frame.h"
#include "app/readout.h"
#include "app/recorder.h"
#include "app/scene.h"
#include "app/user_message.h"
#include "app/window_handler.h"
#include "platform/sdl_platform.h"
#include "render/graphics.h"
#include "sim/clock.h"
#include "sim/parameters.h"

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

    // A preset's values are in place before the pool is filled, so the
    // first frame already shows the look.
    if (!command.preset.empty()) {
        const PresetLoad preset = LoadPreset(command.preset, ProgramFolder());
        if (!preset.ok) {
            PrintDiagnostic(preset.error);
            return 2;
        }
        gParams = preset.params;
    }
    if (command.resume) {
        const RecordingLoad last = ReadRecordingFile(RecordingPath(kLastSession));
        if (!last.ok) {
            PrintDiagnostic(last.error);
            return 2;
        }
        gParams = last.recording.FinalValues();
    }

    SetMessageSink(ShowSdlMessage);
    SetMillisecondClock(SdlMilliseconds);
    SetGraphicsPlatform(SdlGraphicsPlatform());

    // The window or its context cannot be made: the reason goes to the
    // standard error.
    if (!OpenMainWindow(WindowMode::OnScreen, command.fullscreen)) {
        PrintDiagnostic(PlatformError());
        return 1;
    }
    if (!InitGraphics(ShowGraphicsWarning)) {
        PrintDiagnostic(PlatformError());
        CloseMainWindow();
        return 1;
    }
    InitScene();
    SetMessageFilter(ReadoutTakesMessage);  // the panel's mouse presses
    // Recorded from the first frame.
    int width = 0, height = 0;
    DrawableSize(width, height);
    StartRecorder(NIMBREL_VERSION, width, height, SdlMilliseconds);
    SetMillisecondClock(RecordingClock);

    const int exitCode = RunFrameLoop(PumpSdlEvents, RenderProgramFrame);

    // Every orderly exit keeps the session.
    const auto tell = [](bool saved, const std::string &message) {
        if (saved)
            PrintOutputLine(message + "\n");
        else
            PrintDiagnostic(message);
    };
    std::string kept;
    if (!command.record.empty()) tell(SaveRecording(command.record, kept), kept);
    tell(KeepLastSession(kept), kept);

    ShutdownReadout();
    ShutdownGraphics();
    CloseMainWindow();
    return exitCode;
}
