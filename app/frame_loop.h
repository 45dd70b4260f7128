// The frame loop: in every pass, a quit, close or destroy if one waits
// anywhere; else waiting messages up to the first that needs a frame of
// its own (app/window_handler.h), or, when none does, a pending key
// action; then one frame, handed the clock's reading, when one is due and
// anyone can see it (app/frame_pacing.h). Until the quit message is taken.
#pragma once

#include <cstdint>

#include "app/app.h"
#include "app/frame_pacing.h"

// Moves waiting window-system events into the queue without blocking.
using EventPump = void (*)(MessageQueue &queue);
// The millisecond clock: the platform's, or a test's.
using MillisecondClock = std::uint32_t (*)();
// Draws and shows one frame, its simulation stepped to the reading `now`.
using FrameRenderer = void (*)(App &app, std::uint32_t now);

// Runs until a quit message is taken; the pass that takes it still renders
// its frame where the window is seen. Returns the quit message's code.
// Unpaced (no wait), every pass renders a frame, reading the clock once;
// paced, a pass with nothing left to take and no frame due sleeps in the
// wait until the frame is due or an event comes, and a pending key acts in
// the pass of the next frame drawn, one a frame. While the panel shows, a
// message that needs a frame of its own gets it at once, due or not: the
// panel sees the mouse once a frame.
int RunFrameLoop(App &app, EventPump pump, MillisecondClock clock, FrameRenderer renderFrame,
                 const FramePacing &pacing = {});
