// The program's frame, as the window shows it and the capture records it:
// the smoke, the readout panel over it while F3 shows it, and the
// screenshot Tab asked for, read back before the swap.
#pragma once

// Everything before the swap: DrawFrameWithReadout, then the pending
// screenshot, so that it holds exactly the frame about to be shown.
void DrawProgramFrame();

// DrawProgramFrame, then the swap.
void RenderProgramFrame();
