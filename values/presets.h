// Where presets live, and the operations on them by name. A user's presets
// are one file each, $XDG_CONFIG_HOME/nimbrel/presets/NAME.toml
// (~/.config/nimbrel/presets/ when the variable is unset); the built-in
// ones lie in share/nimbrel/presets/ beside the program's folder, found as
// the sprite is. Nothing is written anywhere but the user's folder, and
// only by SavePreset and DeletePreset.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "values/preset_file.h"

// The rule for a preset's name, checked by ValidPresetName, and the one
// message that states it.
constexpr std::size_t kMaxPresetNameLength = 64;
constexpr const char *kPresetNameRule = "a name is 1 to 64 letters, digits, spaces, '-' or '_'";
bool ValidPresetNameCharacter(unsigned int c);
bool ValidPresetName(const std::string &name);

// The user's preset folder; "" when neither XDG_CONFIG_HOME nor HOME says.
std::string UserPresetFolder();

// The built-in presets' folder for a program in `programFolder`.
std::string BuiltInPresetFolder(const std::string &programFolder);

struct PresetEntry {
    std::string name;
    std::string path;
    bool builtIn = false;
};

// Files in the user's folder that are no presets to list.
struct PassedOver {
    std::vector<std::string> badNames;    // .toml files whose names break the rule
    std::vector<std::string> notRegular;  // .toml entries that are no regular file: a folder, FIFO, device or dangling link
};

// The built-in presets, then the user's, each sorted by name; what was
// passed over in the user's folder goes to `passedOver` when given.
std::vector<PresetEntry> ListPresets(const std::string &programFolder, PassedOver *passedOver = nullptr);

// Loads a preset given by name (the user's first, then the built-in one)
// or as a file (a path with a '/' or ending in ".toml"). On failure the
// message says why, naming what was asked for.
PresetLoad LoadPreset(const std::string &nameOrFile, const std::string &programFolder);

// Saves `params` as the user's preset `name`, replacing the file all or
// nothing, and deletes one. `message` is the outcome in one line either
// way: "saved preset \"wisp\" as /home/.../wisp.toml".
bool SavePreset(const std::string &name, const SimulationParameters &params, const std::string &version,
                std::string &message);
bool DeletePreset(const std::string &name, std::string &message);

// Whether anything of that name is in the user's folder, a link or a
// folder included: saving would replace it.
bool UserPresetExists(const std::string &name);
