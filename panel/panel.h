// The panel over the smoke, shown and hidden with F3, drawn with Dear
// ImGui in the top-left corner: every tuned value as a slider over its
// keys' range with its keys beside it, the fades as check boxes, the drag
// angles and the spin with buttons that set each to zero, a button for the
// screenshot, one that puts every value back to its start and one that
// keeps the session's recording, the presets, and the frame rate. A left
// press over the panel works the panel; one over the smoke turns the view
// as ever. Keys always act as the controls say.
//
// Its state is one Panel, handed in; the values it shows and sets are
// handed in too. What the user asks of the program (a screenshot, the
// recording kept) it hands back for the program to do.
#pragma once

#include <string>
#include <vector>

#include "panel/outcome.h"
#include "panel/panel_controls.h"
#include "panel/panel_presets.h"
#include "panel/panel_cache.h"
#include "panel/panel_input.h"
#include "panel/frame_timer.h"
#include "platform/window_messages.h"
#include "sim/parameters.h"

struct Panel {
    bool ready = false;  // ImGui set up, at the first frame shown
    FrameTimer timer;
    double simulationMs = 0.0;  // the last frame's simulation step
    // The panel kept as a texture: it is drawn with ImGui only when the
    // values, the timings or the drawable change, or while it is hovered
    // or worked; every other frame draws the cached copy.
    PanelCache cache;
    bool cached = false;
    SimulationParameters shown;  // the values the cached copy shows
    std::vector<std::string> lines;
    int width = 0, height = 0;            // the drawable it was built for
    int panelWidth = 0, panelHeight = 0;  // its size in pixels
    bool itemActive = false;              // a control was being worked last frame
    ControlRects controls;
    PanelInput input;
    PresetPanel presets;
    Outcome outcome;
};

// What the user asked of the program in the panel this frame.
struct PanelRequests {
    bool screenshot = false;     // the Screenshot button: as Tab
    bool saveRecording = false;  // the Save recording button: as F9
};

// A frame begins: its timings count while the panel is `shown`; while it is
// hidden nothing is timed.
void PanelFrameStarts(Panel &panel, bool shown);

// Draws the panel over the smoke just drawn, with `params`, which its
// controls may change; `simulationMs` is that frame's simulation step.
// While nothing in the panel is hovered or held it is drawn from a texture
// made when it last changed; otherwise it is drawn live. Every piece of GL
// state the frame relies on is as it was afterwards.
PanelRequests DrawPanel(Panel &panel, SimulationParameters &params);

// What the panel takes of a window message while it is `shown`: it follows
// the mouse, takes a left press made over the panel with its release, and
// takes the keys and typed text while a text field has the keyboard
// (panel/panel_input.h). Hidden, it takes nothing and lets go of what it
// held.
MessageUse PanelTakesMessage(Panel &panel, bool shown, const WindowMessage &message);

// Releases the panel's GL objects and its ImGui context, if it was ever
// shown; before the GL context goes.
void ShutdownPanel(Panel &panel);
