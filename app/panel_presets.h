// The presets in the F3 panel: the built-in and the user's presets listed,
// with Load, Delete (the user's own, once confirmed) and Save under a name
// typed in (over an existing one once confirmed). Every outcome shows in
// the panel and as one line on the standard output.
#pragma once

#include <string>

// Where a control was drawn, for ReadoutControlRect: called with each
// control's label right after it.
using ControlRecorder = void (*)(const char *label);

// The last outcome the panel shows: "saved preset ...", or why a typed
// character was not taken.
const std::string &PresetPanelOutcome();

// Adds the presets' controls to the ImGui window being built: labels in a
// column `labelWidth` wide, the list and the name field `fieldWidth` wide.
void PresetControls(float labelWidth, float fieldWidth, ControlRecorder remember);
