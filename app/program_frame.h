// The program's frame, as the window shows it and the capture records it:
// the smoke, the panel over it while F3 shows it, and the screenshot Tab
// asked for, read back before the swap; the recorder sees it all.
#pragma once

#include <cstdint>

#include "app/app.h"

// Everything before the swap, with the simulation stepped to the clock
// reading `now`: the frame's changes to the recorder, the smoke, the panel
// and what was asked in it, then the pending screenshot, so that it holds
// exactly the frame about to be shown.
void DrawProgramFrame(App &app, std::uint32_t now);

// DrawProgramFrame, then the swap.
void RenderProgramFrame(App &app, std::uint32_t now);
