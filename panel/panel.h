// The panel over the smoke, shown and hidden with F3, drawn with Dear
// ImGui as a window of its own: a title bar to move it by and to fold it,
// a corner to resize it, and a see-through background, so that the smoke
// shows behind. In it: every tuned value as a slider over its keys' range,
// its value with the decimals of its step and its keys beside it (Ctrl+
// click or double-click a slider to type a value, the wheel steps it as
// its keys do, "reset" puts it back to its start value), the fades as
// check boxes, the drag angles and the spin with buttons that set each to
// zero, a button for the screenshot, one that puts every value back to
// its start and one that keeps the session's recording, the presets, the
// frame rate and a graph of the last seconds' frame times. A left press
// over the panel works the panel; one over the smoke turns the view as
// ever. Keys always act as the controls say.
//
// Notices (panel/notices.h) are drawn with it, panel shown or not. The
// live program's panel opens where the user left it (panel/panel_state.h);
// the capture's opens where it first opens, and shows no notices.
//
// Its state is one Panel, handed in; the values it shows and sets are
// handed in too. What the user asks of the program (a screenshot, the
// recording kept) it hands back for the program to do.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "panel/outcome.h"
#include "panel/panel_controls.h"
#include "panel/panel_presets.h"
#include "panel/panel_input.h"
#include "panel/frame_timer.h"
#include "platform/window_messages.h"
#include "sim/parameters.h"

// A value being typed into, in place of its slider.
struct ValueEdit {
    int row = -1;             // in kTunedValues; -1: none
    bool seenActive = false;  // the field has taken the keyboard
    int waited = 0;           // frames it has been asked to
    char text[32] = "";
    // The value when a press on a slider began: a double-click types
    // into the value as it was before its first click moved the slider.
    int pressedRow = -1;
    double pressedValue = 0.0;
};

struct Panel {
    bool ready = false;  // ImGui set up, at the first frame drawn
    bool live = false;   // the live program's panel: kept in place between runs, with notices
    FrameTimer timer;
    double simulationMs = 0.0;  // the last frame's simulation step
    double workMs = 0.0;        // the last frame's own work, from its start until it was shown, without the wait
    double capFps = -1.0;       // the frame-rate cap, for the timings; 0: none; negative: not said (the capture)
    const char *renderer = nullptr;  // what draws the smoke, for the timings: "CPU" or "GL"
    // ImGui builds the panel only when the values, the timings, the
    // notices or the drawable change, or while it is hovered or worked;
    // every other frame draws ImGui's last draw data again, which costs
    // the main thread far less than laying out a thousand glyphs.
    bool built = false;
    bool builtShown = false;            // whether the panel was in what was built
    std::uint64_t builtNotices = 0;     // the notices' changes it was built with
    SimulationParameters shown;         // the values it was built with
    std::vector<std::string> lines;
    int width = 0, height = 0;          // the drawable it was built for
    bool itemActive = false;            // a control was being worked last frame
    ValueEdit edit;
    std::string place;  // the window's place as last kept (panel/panel_state.h)
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

// Whether DrawPanel will draw anything over the smoke this frame: the panel
// when `shown`, or the live program's notices.
bool PanelDrawsOver(const Panel &panel, bool shown);

// Draws the panel, when `shown`, over the smoke just drawn, with
// `params`, which its controls may change, and the live program's notices
// at the clock reading `now`. While nothing in the panel is hovered or
// held and nothing changed it draws what it drew last; otherwise it is
// built anew. Every piece of GL state the frame relies on is as it was
// afterwards.
PanelRequests DrawPanel(Panel &panel, SimulationParameters &params, bool shown, std::uint32_t now);

// What the panel takes of a window message while it is `shown`: it follows
// the mouse, takes a left press made over the panel with its release, and
// takes the keys and typed text while a text field has the keyboard
// (panel/panel_input.h). Hidden, it takes nothing and lets go of what it
// held.
MessageUse PanelTakesMessage(Panel &panel, bool shown, const WindowMessage &message);

// Keeps the live panel's place, releases its GL objects and its ImGui
// context, if it was ever drawn; before the GL context goes.
void ShutdownPanel(Panel &panel);
