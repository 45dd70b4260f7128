#include "app/program_frame.h"

#include "app/readout.h"
#include "app/recorder.h"
#include "app/screenshot.h"
#include "render/graphics.h"

void DrawProgramFrame() {
    RecorderFrameStarts();
    DrawFrameWithReadout();
    if (ScreenshotPending()) RecorderScreenshot();
    SavePendingScreenshot();
}

void RenderProgramFrame() {
    DrawProgramFrame();
    CurrentGraphicsPlatform().swapBuffers();
}
