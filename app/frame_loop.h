// The frame loop: in every pass, a quit, close or destroy if one waits
// anywhere; else waiting messages up to the first that needs a frame of
// its own (app/window_handler.h), or, when none does, a pending key
// action; then one frame, handed the clock's reading. Until the quit
// message is taken.
#pragma once

#include <cstdint>

#include "app/app.h"

// Moves waiting window-system events into the queue without blocking.
using EventPump = void (*)(MessageQueue &queue);
// The millisecond clock: the platform's, or a test's.
using MillisecondClock = std::uint32_t (*)();
// Draws and shows one frame, its simulation stepped to the reading `now`.
using FrameRenderer = void (*)(App &app, std::uint32_t now);

// Runs until a quit message is taken; the pass that takes it still renders
// its frame. Returns the quit message's code.
int RunFrameLoop(App &app, EventPump pump, MillisecondClock clock, FrameRenderer renderFrame);
