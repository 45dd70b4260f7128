// Nimbrel: opens the window, sets up the graphics and the scene, runs the
// frame loop until the window is closed, and tears the graphics down.
#include "app/frame_loop.h"
#include "app/scene.h"
#include "app/sdl_platform.h"
#include "render/frame.h"
#include "render/graphics.h"
#include "app/user_message.h"
#include "sim/clock.h"

int main() {
    SetMessageSink(ShowSdlMessage);
    SetMillisecondClock(SdlMilliseconds);
    SetGraphicsPlatform(SdlGraphicsPlatform());

    // The window or its context cannot be made: the reason is already on
    // the standard error.
    if (!OpenMainWindow()) return 1;
    if (!InitGraphics()) {
        CloseMainWindow();
        return 1;
    }
    InitScene();

    const int exitCode = RunFrameLoop(PumpSdlEvents, RenderFrame);

    ShutdownGraphics();
    CloseMainWindow();
    return exitCode;
}
