// The window event handler: resize, close, key flags and mouse drag, with
// the panel seeing every message first while it shows.
#pragma once

#include "app/app.h"
#include "platform/window_messages.h"

// Acts on one message. Returns whether it needs a frame of its own before
// a key acts: true for a fresh key-down, a mouse or window message; false
// for what only adds to what waits (an auto-repeat, which merges into its
// key's waiting press or presses again, a key-up, typed text). F3's, F11's
// and F9's auto-repeats are ignored: they act once a press. While the panel
// shows, it takes the mouse presses made over it and the keys while a text
// field has the keyboard; those never reach the handler.
bool HandleWindowMessage(App &app, const WindowMessage &message);
