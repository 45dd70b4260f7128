// Where presets live, and loading, saving and deleting them by name.
#include "values/presets.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "io/data_files.h"
#include "io/text.h"
#include "io/user_folders.h"
#include "io/replacement_file.h"

namespace fs = std::filesystem;

namespace {

constexpr const char *kExtension = ".toml";

std::string UserPresetPath(const std::string &name) { return (fs::path(UserPresetFolder()) / (name + kExtension)).string(); }

bool IsFile(const std::string &path) {
    std::error_code code;
    return fs::is_regular_file(path, code);
}

// The presets in `folder`, by name.
std::vector<PresetEntry> PresetsIn(const std::string &folder, bool builtIn, PassedOver *passedOver) {
    std::vector<PresetEntry> entries;
    std::error_code code;
    if (folder.empty()) return entries;
    for (fs::directory_iterator it(folder, code), end; !code && it != end; it.increment(code)) {
        const fs::path &path = it->path();
        const std::string name = path.stem().string();
        if (path.extension() != kExtension) continue;
        const bool valid = ValidPresetName(name), file = IsFile(path.string());
        if (valid && file) entries.push_back({name, path.string(), builtIn});
        if (passedOver && !valid) passedOver->badNames.push_back(path.filename().string());
        if (passedOver && valid && !file) passedOver->notRegular.push_back(path.filename().string());
    }
    std::sort(entries.begin(), entries.end(),
              [](const PresetEntry &a, const PresetEntry &b) { return a.name < b.name; });
    if (passedOver) {  // in the order ls would list them, whatever the folder's
        std::sort(passedOver->badNames.begin(), passedOver->badNames.end());
        std::sort(passedOver->notRegular.begin(), passedOver->notRegular.end());
    }
    return entries;
}

std::string Quoted(const std::string &name) { return "\"" + name + "\""; }

}  // namespace

bool ValidPresetNameCharacter(unsigned int c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' || c == '-' ||
           c == '_';
}

bool ValidPresetName(const std::string &name) {
    if (name.empty() || name.size() > kMaxPresetNameLength) return false;
    return std::all_of(name.begin(), name.end(), [](unsigned char c) { return ValidPresetNameCharacter(c); });
}

std::string UserPresetFolder() { return UserFolder("XDG_CONFIG_HOME", ".config", "presets").string(); }

std::string BuiltInPresetFolder(const std::string &programFolder) {
    return programFolder.empty() ? "" : (DataFolder(programFolder) / "presets").string();
}

std::vector<PresetEntry> ListPresets(const std::string &programFolder, PassedOver *passedOver) {
    std::vector<PresetEntry> entries = PresetsIn(BuiltInPresetFolder(programFolder), true, nullptr);
    const std::vector<PresetEntry> own = PresetsIn(UserPresetFolder(), false, passedOver);
    entries.insert(entries.end(), own.begin(), own.end());
    return entries;
}

bool UserPresetExists(const std::string &name) {
    std::error_code code;
    return ValidPresetName(name) && !UserPresetFolder().empty() &&
           fs::exists(fs::symlink_status(UserPresetPath(name), code));
}

PresetLoad LoadPreset(const std::string &nameOrFile, const std::string &programFolder) {
    const bool isFile = nameOrFile.find('/') != std::string::npos ||
                        (nameOrFile.size() > 5 && EndsWith(nameOrFile, kExtension));
    if (isFile) return ReadPresetFile(nameOrFile);
    PresetLoad load;
    if (!ValidPresetName(nameOrFile)) {
        load.error = "preset " + Quoted(nameOrFile) + ": " + kPresetNameRule + " (or give a file ending in .toml)";
        return load;
    }
    // Whatever is there by that name is read, so that a FIFO or a folder
    // is named for what it is.
    if (UserPresetExists(nameOrFile)) return ReadPresetFile(UserPresetPath(nameOrFile));
    const std::string builtIn = (fs::path(BuiltInPresetFolder(programFolder)) / (nameOrFile + kExtension)).string();
    std::error_code code;
    if (!programFolder.empty() && fs::exists(builtIn, code)) return ReadPresetFile(builtIn);
    std::string known;
    for (const PresetEntry &entry : ListPresets(programFolder)) known += (known.empty() ? "" : ", ") + entry.name;
    load.error = "no preset named " + Quoted(nameOrFile) + (known.empty() ? "" : " (there are: " + known + ")");
    return load;
}

bool SavePreset(const std::string &name, const SimulationParameters &params, const std::string &version,
                std::string &message) {
    const auto fail = [&](const std::string &why) {
        message = "cannot save preset " + Quoted(name) + ": " + why;
        return false;
    };
    if (!ValidPresetName(name)) return fail(kPresetNameRule);
    const std::string folder = UserPresetFolder();
    if (folder.empty()) return fail("neither XDG_CONFIG_HOME nor HOME names a folder for it");
    const std::string path = UserPresetPath(name);
    std::string error;
    if (!ReplaceFileWith(path, FormatPreset(params, version), error)) return fail(error);
    message = "saved preset " + Quoted(name) + " as " + path;
    return true;
}

bool DeletePreset(const std::string &name, std::string &message) {
    if (!UserPresetExists(name)) {
        message = "cannot delete preset " + Quoted(name) + ": it is none of yours";
        return false;
    }
    const std::string path = UserPresetPath(name);
    std::error_code code;
    if (!fs::remove(path, code)) {
        message = "cannot delete preset " + Quoted(name) + ": " + code.message();
        return false;
    }
    message = "deleted preset " + Quoted(name) + " (" + path + ")";
    return true;
}
