// Nimbrel: opens the window, sets up the graphics and the scene, runs the
// frame loop until the window is closed, and tears the graphics down.
#include "app/frame_loop.h"
#include "app/program_frame.h"
#include "app/readout.h"
#include "app/scene.h"
#include "app/user_message.h"
#include "platform/sdl_platform.h"
#include "render/graphics.h"
#include "sim/clock.h"

int main() {
    SetMessageSink(ShowSdlMessage);
    SetMillisecondClock(SdlMilliseconds);
    SetGraphicsPlatform(SdlGraphicsPlatform());

    // The window or its context cannot be made: the reason goes to the
    // standard error.
    if (!OpenMainWindow()) {
        PrintDiagnostic(PlatformError());
        return 1;
    }
    if (!InitGraphics(ShowGraphicsWarning)) {
        PrintDiagnostic(PlatformError());
        CloseMainWindow();
        return 1;
    }
    InitScene();

    const int exitCode = RunFrameLoop(PumpSdlEvents, RenderProgramFrame);

    ShutdownReadout();
    ShutdownGraphics();
    CloseMainWindow();
    return exitCode;
}
