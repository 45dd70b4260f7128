// The readout panel over the smoke, shown and hidden with F3, drawn with
// Dear ImGui in the top-left corner: every tuned value as a slider over
// its keys' range with its keys beside it, the fades as check boxes, the
// drag angles and the spin with buttons that set each to zero, a button
// for the screenshot, one that puts every value back to its start and one
// that keeps the session's recording, and the frame rate. A left press over the panel works the panel; one over
// the smoke turns the view as ever. Keys always act as the controls say.
#pragma once

#include <string>

#include "app/window_handler.h"
#include "platform/window_messages.h"

// The drawing half of the program's frame: DrawFrame (render/frame.h),
// then, while the panel is shown, the panel over the particles with the
// timings of the frames before. While nothing in the panel is hovered or
// held it is drawn from a texture made when it last changed; otherwise it
// is drawn live. Every piece of GL state the frame relies on is as it was
// afterwards. While the panel is hidden nothing more is done, not even
// timing.
void DrawFrameWithReadout();

// Releases the panel's GL objects and its ImGui context, if it was ever
// shown; before the GL context goes.
void ShutdownReadout();

// A message filter (app/window_handler.h): while the panel shows, it
// follows the mouse, takes a left press made over the panel with its
// release, and takes the keys and typed text while a text field has the
// keyboard (app/readout_input.h). Takes nothing while the panel is hidden.
MessageUse ReadoutTakesMessage(const WindowMessage &message);

// Where the control with that label was drawn last ("sprite size", "Start
// values"), in window pixels from the top-left corner: x, y, width,
// height. False when the panel has drawn none.
bool ReadoutControlRect(const std::string &label, int rect[4]);

// Whether the panel was last drawn live rather than from its texture.
bool ReadoutDrawnLive();
