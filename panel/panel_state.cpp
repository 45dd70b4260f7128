// The panel's place and the passed-over notice, kept between runs.
#include "panel/panel_state.h"

#include <imgui.h>

#include <system_error>

#include "io/replacement_file.h"
#include "io/text.h"
#include "io/user_folders.h"
#include "io/user_message.h"

namespace fs = std::filesystem;

namespace {

constexpr const char *kPlaceFile = "panel.ini";
constexpr const char *kSaidFile = "passed-over";

bool Read(const char *name, std::string &text) {
    const fs::path folder = PanelStateFolder();
    std::error_code code;
    if (folder.empty() || !fs::exists(folder / name, code)) return false;
    std::string error;
    if (ReadTextFile((folder / name).string(), kMaxPanelStateBytes, text, error)) return true;
    PrintDiagnostic(error);
    return false;
}

void Write(const char *name, const std::string &text) {
    const fs::path folder = PanelStateFolder();
    std::string error;
    if (folder.empty() || text.size() > kMaxPanelStateBytes) return;
    if (!ReplaceFileWith((folder / name).string(), text, error)) PrintDiagnostic("cannot keep the panel's state: " + error);
}

}  // namespace

fs::path PanelStateFolder() { return UserFolder("XDG_STATE_HOME", ".local/state", ""); }

void LoadPanelPlace(std::string &kept) {
    std::string text;
    if (!Read(kPlaceFile, text)) return;
    LoadPanelPlaceText(text);
    kept = text;
}

void LoadPanelPlaceText(const std::string &text) {
    // ImGui takes a size of 0 to mean a NUL-terminated text: none is read.
    if (!text.empty()) ImGui::LoadIniSettingsFromMemory(text.c_str(), text.size());
}

void SavePanelPlace(std::string &kept) {
    std::size_t size = 0;
    const char *text = ImGui::SaveIniSettingsToMemory(&size);
    if (kept.size() == size && kept.compare(0, size, text, size) == 0) return;
    kept.assign(text, size);
    Write(kPlaceFile, kept);
}

bool SaidBefore(const std::string &text) {
    std::string said;
    return Read(kSaidFile, said) && said == text;
}

void RememberSaid(const std::string &text) { Write(kSaidFile, text); }
