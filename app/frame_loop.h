// The frame loop: in every pass, a quit, close or destroy if one waits
// anywhere; else waiting messages up to the first that needs a frame of
// its own (app/window_handler.h), or, when none does, a pending key
// action; then one frame. Until the quit message is taken.
#pragma once

#include "platform/window_messages.h"

// Moves waiting window-system events into the queue without blocking.
using EventPump = void (*)(MessageQueue &queue);
using FrameRenderer = void (*)();

// Runs until a quit message is taken; the pass that takes it still renders
// its frame. Returns the quit message's code.
int RunFrameLoop(EventPump pump, FrameRenderer renderFrame);
