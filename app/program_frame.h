// The program's frame, as the window shows it and the capture records it:
// the smoke, the screenshot Tab asked for, read back before anything is
// drawn over the smoke, then the panel while F3 shows it and the live
// program's notices; the recorder sees it all.
#pragma once

#include <cstdint>

#include "app/app.h"

// Everything before the swap, with the simulation stepped to the clock
// reading `now`: the frame's changes to the recorder, the smoke, the
// pending screenshot, so that it holds exactly the smoke about to be
// shown, then the panel and what was asked in it, and the notices.
void DrawProgramFrame(App &app, std::uint32_t now);

// DrawProgramFrame, then the swap.
void RenderProgramFrame(App &app, std::uint32_t now);
