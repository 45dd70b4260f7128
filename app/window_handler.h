// The window event handler: resize, close, key flags and mouse drag, and
// the queue the frame loop takes messages from.
#pragma once

#include <array>

#include "platform/window_messages.h"

// The messages waiting for the frame loop.
extern MessageQueue gMessages;

// Key flags and mouse state, all clear at load. A key's flag is its press
// waiting for the key dispatch: set by its key-down, cleared only by the
// action that takes it, so a press whose key-up comes first still acts.
struct InputState {
    std::array<bool, 256> keyDown{};
    bool keyPending = false;  // some key's press waits
    bool dragging = false;
    int mouseX = 0, mouseY = 0;
    int previousX = 0, previousY = 0;
};

extern InputState gInput;

// The window event handler: resize, close, key flags and mouse drag.
// Returns whether the message needs a frame of its own before a key acts:
// true for a fresh key-down, a mouse or window message; false for what
// only adds to what waits (an auto-repeat, which merges into its key's
// waiting press or presses again, a key-up, typed text). F3's, F11's and
// F9's auto-repeats are ignored: they act once a press.
bool HandleWindowMessage(const WindowMessage &message);

// What a filter did with a message.
enum class MessageUse {
    Handler,  // left to the handler
    Taken,    // taken, with a frame of its own (a press on the panel)
    Typed,    // taken by a text field, sharing its frame with the rest of the typing
};

// Sees every message before the handler does, and keeps it from the
// handler by taking it: the readout panel takes the mouse presses made
// over it, and the keys while a text field has the keyboard. None is
// installed at start.
using MessageFilter = MessageUse (*)(const WindowMessage &message);
void SetMessageFilter(MessageFilter filter);
