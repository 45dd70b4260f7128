// The panel's input: the mouse as the window messages tell it, and, while
// a text field has the keyboard, the keys it uses and typed text, handed
// to Dear ImGui in the order the frame loop takes them. A key whose
// key-down reached the panel always has its key-up reach it too, so the
// panel never keeps a key held that the keyboard let go.
//
// Fed by hand rather than through ImGui's own SDL backend: that backend
// takes events as they are pumped, ahead of the loop, where the panel must
// see them in the loop's order, interleaved with the controls and the
// drag; and scripted messages drive this path in tests.
#pragma once

#include "app/window_handler.h"
#include "platform/window_messages.h"

// The filter's work while the panel shows (app/window_handler.h): follows
// the mouse, takes a left press made over the panel with its release, and
// while a text field has the keyboard takes every key and typed
// character. The keys the field uses (Return, Escape, Backspace, the
// arrows) take a frame of their own; the rest of the typing shares one.
MessageUse PanelTakesMessage(const WindowMessage &message);

// The panel was hidden: the keys it holds are let go, the button too, and
// typed text stops.
void PanelHidden();

// Hands ImGui the mouse for the frame about to be built, or none when
// `interactive` is false, and the real time since the last frame built.
void FeedPanelFrame(bool interactive);

// Where the panel was laid out last, in window pixels.
void SetPanelRect(int x, int y, int width, int height);
// Whether a text field had the keyboard in the frame just built; typed
// characters come as Text messages only while one has.
void SetPanelTyping(bool typing);

bool PanelTyping();
bool PanelButtonHeld();
bool PointerOverPanel();

// Everything back to its state at load, with the ImGui context gone.
void ResetPanelInput();
