// The presets in the panel: the list, Load, Delete and Save as.
#include "panel/panel_presets.h"

#include <imgui.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "io/user_message.h"
#include "panel/panel_state.h"
#include "platform/sdl_platform.h"

namespace {

using Asking = PresetPanel::Asking;

// "a.toml, b c.toml" and how many more: every name, up to a line's worth.
std::string Names(const std::vector<std::string> &names) {
    constexpr std::size_t kMostNamed = 8;
    std::string said;
    for (std::size_t i = 0; i < names.size() && i < kMostNamed; ++i) said += (i ? ", " : "") + names[i];
    if (names.size() > kMostNamed) said += " and " + std::to_string(names.size() - kMostNamed) + " more";
    return said;
}

// What the listing passed over in the user's folder, named, said once for
// each change of the folder (in this run or an earlier one), and only by
// the live program: as a notice and a line, never in the panel, which a
// picture may hold.
void SayPassedOver(const PassedOver &passed, Outcome &outcome) {
    std::string said;
    if (!passed.badNames.empty()) said = Names(passed.badNames) + " (" + kPresetNameRule + ")";
    if (!passed.notRegular.empty())
        said += (said.empty() ? "" : "; ") + Names(passed.notRegular) + " (not a regular file)";
    const std::string passedOver = said.empty() ? "" : "passed over in " + UserPresetFolder() + ": " + said;
    if (SaidBefore(passedOver)) return;
    RememberSaid(passedOver);
    if (passedOver.empty()) return;
    outcome.notices.Tell(passedOver);
    PrintOutputLine(passedOver + "\n");
}

// Lists the presets again, keeping the row picked, or picking `pick`, the
// name of the user's preset just saved.
void ListPresetsAgain(PresetPanel &panel, Outcome &outcome, bool live, const std::string &pick = "") {
    const std::string picked = panel.picked >= 0 && panel.picked < static_cast<int>(panel.presets.size())
                                   ? panel.presets[static_cast<std::size_t>(panel.picked)].path
                                   : "";
    PassedOver passed;
    panel.presets = ListPresets(ProgramFolder(), &passed);
    panel.presetsListed = true;
    panel.picked = -1;
    for (std::size_t i = 0; i < panel.presets.size(); ++i) {
        const PresetEntry &entry = panel.presets[i];
        if (pick.empty() ? entry.path == picked : !entry.builtIn && entry.name == pick) panel.picked = static_cast<int>(i);
    }
    if (live) SayPassedOver(passed, outcome);
}

// A name as the list shows it: quoted where spaces at either end would
// make two names look alike.
std::string Shown(const std::string &name) {
    return name.front() == ' ' || name.back() == ' ' ? "\"" + name + "\"" : name;
}

// The name field takes only what the rule allows; what it refuses is
// counted, and said at once.
int FilterNameCharacter(ImGuiInputTextCallbackData *data) {
    PresetPanel &panel = *static_cast<PresetPanel *>(data->UserData);
    ++panel.offered;
    if (ValidPresetNameCharacter(data->EventChar)) return 0;
    ++panel.refused;
    return 1;
}

// Text wrapped inside the panel, however long: an outcome names a path
// and a reason. Its last short word never stands alone on a line: the
// space before it does not break.
void Wrapped(const std::string &text, float width) {
    std::string shown = text;
    const std::size_t space = shown.rfind(' ');
    if (space != std::string::npos && shown.size() - space <= 6) shown.replace(space, 1, "\xC2\xA0");
    ImGui::PushTextWrapPos(ImGui::GetCursorPosX() + width);
    ImGui::TextUnformatted(shown.c_str());
    ImGui::PopTextWrapPos();
}

void LoadPicked(const PresetPanel &panel, Outcome &outcome, SimulationParameters &params) {
    const PresetEntry &entry = panel.presets[static_cast<std::size_t>(panel.picked)];
    const PresetLoad load = ReadPresetFile(entry.path);
    if (!load.ok) return outcome.Tell("cannot load preset: " + load.error);
    params = load.params;
    outcome.Tell("loaded preset \"" + entry.name + "\"");
}

void SaveNamed(PresetPanel &panel, Outcome &outcome, const SimulationParameters &params, bool live) {
    const std::string name = panel.saveName;
    std::string message;
    const bool saved = SavePreset(name, params, NIMBREL_VERSION, message);
    outcome.Tell(message);
    ListPresetsAgain(panel, outcome, live, saved ? name : "");
}

// A question and its two answers; true once answered.
bool Ask(const std::string &question, const char *yesLabel, bool &yes, ControlRects &controls) {
    ImGui::TextUnformatted(question.c_str());
    ImGui::SameLine();
    yes = ImGui::SmallButton(yesLabel);
    controls.Remember(yesLabel);
    ImGui::SameLine();
    const bool no = ImGui::SmallButton("No");
    controls.Remember("No");
    return yes || no;
}

}  // namespace

// The presets: the list, Load, Delete (the user's own, once confirmed),
// and Save as under a typed name (over an existing one once confirmed).
void PresetControls(PresetPanel &panel, Outcome &outcome, SimulationParameters &params, bool live, float labelWidth,
                    float fieldWidth, ControlRects &controls) {
    if (!panel.presetsListed) ListPresetsAgain(panel, outcome, live);
    const bool picked = panel.picked >= 0 && panel.picked < static_cast<int>(panel.presets.size());
    const PresetEntry *entry = picked ? &panel.presets[static_cast<std::size_t>(panel.picked)] : nullptr;

    ImGui::TextUnformatted("presets");
    ImGui::SameLine(labelWidth);
    const float rows = static_cast<float>(std::min<std::size_t>(std::max<std::size_t>(panel.presets.size(), 1), 4));
    if (ImGui::BeginListBox("##presets", ImVec2(fieldWidth, rows * ImGui::GetTextLineHeightWithSpacing() + 4.0f))) {
        for (std::size_t i = 0; i < panel.presets.size(); ++i) {
            const PresetEntry &candidate = panel.presets[i];
            const std::string label = Shown(candidate.name) + (candidate.builtIn ? "  (built-in)" : "");
            if (ImGui::Selectable(label.c_str(), panel.picked == static_cast<int>(i))) {
                panel.picked = static_cast<int>(i);
                panel.asking = Asking::Nothing;
            }
            controls.Remember(("preset " + candidate.name).c_str());
        }
        ImGui::EndListBox();
    }
    ImGui::SameLine();
    ImGui::BeginGroup();
    // Both always there, so that nothing moves; each usable once a row it
    // acts on is picked.
    ImGui::BeginDisabled(!entry);
    if (ImGui::Button("Load") && entry) LoadPicked(panel, outcome, params);
    controls.Remember("Load");
    ImGui::EndDisabled();
    ImGui::BeginDisabled(!entry || entry->builtIn);
    if (ImGui::Button("Delete") && entry && !entry->builtIn) {
        panel.asking = Asking::Delete;
        outcome.Clear();
    }
    controls.Remember("Delete");
    ImGui::EndDisabled();
    ImGui::EndGroup();
    bool yes = false;
    if (panel.asking == Asking::Delete && entry && Ask("Delete \"" + entry->name + "\"?", "Yes, delete", yes, controls)) {
        panel.asking = Asking::Nothing;
        if (yes) {
            std::string message;
            DeletePreset(entry->name, message);
            outcome.Tell(message);
            ListPresetsAgain(panel, outcome, live);
        }
    }

    ImGui::AlignTextToFramePadding();
    ImGui::TextUnformatted("save as");
    ImGui::SameLine(labelWidth);
    ImGui::SetNextItemWidth(fieldWidth);
    panel.offered = panel.refused = 0;
    const std::size_t before = std::strlen(panel.saveName);
    const bool entered =
        ImGui::InputText("##save name", panel.saveName, sizeof panel.saveName,
                         ImGuiInputTextFlags_EnterReturnsTrue | ImGuiInputTextFlags_CallbackCharFilter,
                         FilterNameCharacter, &panel);
    controls.Remember("save name");
    const std::size_t after = std::strlen(panel.saveName);
    // A full field takes no more: typing or pasting into it says so.
    const bool full = after == kMaxPresetNameLength &&
                      static_cast<int>(after) - static_cast<int>(before) < panel.offered - panel.refused;
    if (panel.refused > 0 || full)
        outcome.Show(std::string(full ? "the name is full: " : "not taken: ") + kPresetNameRule);
    ImGui::SameLine();
    const bool save = ImGui::Button("Save") || entered;
    controls.Remember("Save");
    if (save) {
        if (!ValidPresetName(panel.saveName))
            outcome.Tell(std::string("cannot save preset \"") + panel.saveName + "\": " + kPresetNameRule);
        else if (UserPresetExists(panel.saveName)) {
            panel.asking = Asking::Replace;
            outcome.Clear();  // the question stands alone
        }
        else
            SaveNamed(panel, outcome, params, live);
    }
    if (panel.asking == Asking::Replace &&
        Ask(std::string("Replace your \"") + panel.saveName + "\"?", "Yes, replace", yes, controls)) {
        panel.asking = Asking::Nothing;
        if (yes) SaveNamed(panel, outcome, params, live);
    }
    const float wrap = labelWidth + fieldWidth + 120.0f;
    if (!outcome.latest.empty()) Wrapped(outcome.latest, wrap);
}

