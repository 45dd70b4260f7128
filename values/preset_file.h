// The preset file: the tuned values, the fades and the drag angles by
// readable names, as TOML that a person can read and edit, read and written
// through toml++. A file may hold only some of the values; the rest keep
// their start values. Loading is all or nothing: every value is checked
// against its type and the range its keys reach, and a file with any
// problem gives one message and no values. The file is printable ASCII
// text. No GL, no window: a text parser.
//
//   # Nimbrel preset
//   nimbrel = "1.0.0"        # the version that wrote it
//   drift_speed = -5.0
//   particles = 4000         # a multiple of 2000, 0 to 100000
//   fade_out = true
//   ...
#pragma once

#include <string>
#include <string_view>

#include "sim/parameters.h"

// Files beyond this are refused unread.
constexpr std::size_t kMaxPresetBytes = 64 * 1024;

struct PresetLoad {
    bool ok = false;
    SimulationParameters params;  // the start values with the file's on top
    // Why not, in one line naming the file, the line where the format gives
    // one, the name and what is allowed: "wisp.toml: line 3: sprite_size:
    // 250 is out of range (0 to 204)".
    std::string error;
};

// Parses a preset's text; `fileName` names it in the message.
PresetLoad ParsePreset(std::string_view text, const std::string &fileName);

// One NAME=VALUE setting (a command line's --set) applied on top of
// `params`, checked exactly as a preset's line is: its name, its type, its
// range and its grid. False, with `error` naming the setting, and `params`
// left as they were.
bool ApplySetting(const std::string &setting, SimulationParameters &params, std::string &error);

// Reads and parses the file at `path`: unreadable, or larger than
// kMaxPresetBytes, it gives its message too.
PresetLoad ReadPresetFile(const std::string &path);

// The preset's text for `params`: every value, by name, with the version
// that wrote it. ParsePreset gives back exactly the same values.
std::string FormatPreset(const SimulationParameters &params, const std::string &version);
