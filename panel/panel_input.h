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

#include <array>
#include <chrono>

#include "platform/window_messages.h"

// What the panel did with a window message.
enum class MessageUse {
    Handler,  // left to the window handler
    Taken,    // taken, with a frame of its own (a press on the panel)
    Typed,    // taken by a text field, sharing its frame with the rest of the typing
};

// The mouse and keys as the panel last saw them.
struct PanelInput {
    bool pointerKnown = false;
    int pointerX = 0, pointerY = 0;
    bool buttonHeld = false;  // from a press made over the panel to its release
    bool typing = false;
    bool ctrlHeld = false;  // Ctrl, for Ctrl+click and Ctrl+A
    int wheel = 0;          // notches turned over the panel, not yet handed to ImGui
    int x = 0, y = 0, width = 0, height = 0;  // the panel, as laid out last
    std::array<bool, 256> keyHeld{};          // fed down to ImGui, not yet up
    bool keyMapSet = false;
    bool haveLastFrame = false;
    std::chrono::steady_clock::time_point lastFrame;
};

// What the panel takes of the window messages while it shows: follows
// the mouse and Ctrl, takes a left press made over the panel with its
// release and the wheel turned over it, and while a text field has the
// keyboard takes every key and typed character. The keys the field uses (Return, Escape, Backspace, the
// arrows) take a frame of their own; the rest of the typing shares one.
MessageUse PanelInputTakes(PanelInput &input, const WindowMessage &message);

// The panel was hidden: the keys it holds are let go, the button too, and
// typed text stops.
void PanelHidden(PanelInput &input);

// Hands ImGui the mouse, Ctrl and the wheel for the frame about to be
// built, or none when `interactive` is false, and the real time since the
// last frame built. The wheel's notches are handed over once and returned,
// for the sliders to step by.
int FeedPanelFrame(PanelInput &input, bool interactive);

// Where the panel was laid out last, in window pixels.
void SetPanelRect(PanelInput &input, int x, int y, int width, int height);
// Whether a text field had the keyboard in the frame just built; typed
// characters come as Text messages only while one has.
void SetPanelTyping(PanelInput &input, bool typing);

bool PointerOverPanel(const PanelInput &input);

// Everything back to its state at load, with the ImGui context gone.
void ResetPanelInput(PanelInput &input);
