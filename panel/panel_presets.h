// The presets in the F3 panel: the built-in and the user's presets listed,
// with Load, Delete (the user's own, once confirmed) and Save under a name
// typed in (over an existing one once confirmed). Every outcome shows in
// the panel and as one line on the standard output.
#pragma once

#include <string>
#include <vector>

#include "panel/outcome.h"
#include "panel/panel_controls.h"
#include "values/presets.h"
#include "sim/parameters.h"

// The list, the one picked, the name to save as, a question waiting for
// its answer.
struct PresetPanel {
    std::vector<PresetEntry> presets;
    bool presetsListed = false;
    int picked = -1;
    char saveName[kMaxPresetNameLength + 1] = "";
    int offered = 0, refused = 0;  // characters typed into the name field in this frame, and refused
    enum class Asking { Nothing, Delete, Replace } asking = Asking::Nothing;
};

// Adds the presets' controls to the ImGui window being built: labels in a
// column `labelWidth` wide, the list and the name field `fieldWidth` wide.
// A preset loaded goes into `params`; what happened, into `outcome`. In
// the `live` program what the listing passed over is said, once for each
// change of the folder.
void PresetControls(PresetPanel &panel, Outcome &outcome, SimulationParameters &params, bool live, float labelWidth,
                    float fieldWidth, ControlRects &controls);
