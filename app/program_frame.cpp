#include "app/program_frame.h"

#include "app/readout.h"
#include "app/screenshot.h"
#include "render/graphics.h"

void DrawProgramFrame() {
    DrawFrameWithReadout();
    SavePendingScreenshot();
}

void RenderProgramFrame() {
    DrawProgramFrame();
    CurrentGraphicsPlatform().swapBuffers();
}
