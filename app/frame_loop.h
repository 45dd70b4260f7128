// The frame loop: one waiting message, or else a pending key action, and
// one frame in every pass, until the quit message is taken.
#pragma once

#include "platform/window_messages.h"

// Moves waiting window-system events into the queue without blocking.
using EventPump = void (*)(MessageQueue &queue);
using FrameRenderer = void (*)();

// Runs until a quit message is taken; the pass that takes it still renders
// its frame. Returns the quit message's code.
int RunFrameLoop(EventPump pump, FrameRenderer renderFrame);
