// The window event handler: resize, close, key flags and mouse drag, and
// the queue the frame loop takes messages from.
#pragma once

#include <array>

#include "platform/window_messages.h"

// The messages waiting for the frame loop.
extern MessageQueue gMessages;

// Key flags and mouse state, all clear at load.
struct InputState {
    std::array<bool, 256> keyDown{};
    bool keyPending = false;
    bool dragging = false;
    int mouseX = 0, mouseY = 0;
    int previousX = 0, previousY = 0;
};

extern InputState gInput;

// The window event handler: resize, close, key flags and mouse drag.
void HandleWindowMessage(const WindowMessage &message);

// Sees every message before the handler does, and keeps it from the
// handler by returning true: the readout panel takes the mouse presses
// made over it. None is installed at start.
using MessageFilter = bool (*)(const WindowMessage &message);
void SetMessageFilter(MessageFilter filter);
