// The notices, aged by the frame clock and drawn with ImGui.
#include "panel/notices.h"

#include <imgui.h>

void Notices::Tell(const std::string &text) {
    if (text.empty()) return;
    if (shown.size() == kMost) shown.erase(shown.begin());
    shown.push_back({text, false, 0});
    ++changes;
}

void Notices::Age(std::uint32_t now) {
    for (Notice &notice : shown)
        if (!notice.timed) {
            notice.timed = true;
            notice.since = now;
        }
    // Unsigned: a clock that wrapped still counts forward.
    while (!shown.empty() && now - shown.front().since >= kShowMs) {
        shown.erase(shown.begin());
        ++changes;
    }
}

void BuildNotices(const Notices &notices, int width, int height) {
    if (!notices.Any()) return;
    const float margin = 8.0f * ImGui::GetIO().FontGlobalScale;
    ImGui::SetNextWindowPos(ImVec2(margin, static_cast<float>(height) - margin), ImGuiCond_Always, ImVec2(0.0f, 1.0f));
    ImGui::SetNextWindowBgAlpha(0.75f);
    const ImGuiWindowFlags flags = ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_AlwaysAutoResize |
                                   ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoFocusOnAppearing |
                                   ImGuiWindowFlags_NoNav | ImGuiWindowFlags_NoInputs | ImGuiWindowFlags_NoMove;
    ImGui::Begin("Nimbrel notices", nullptr, flags);
    // A path may be long: wrapped inside the window, never past its edge.
    ImGui::PushTextWrapPos(static_cast<float>(width) - 4.0f * margin);
    for (const Notices::Notice &notice : notices.shown) ImGui::TextUnformatted(notice.text.c_str());
    ImGui::PopTextWrapPos();
    ImGui::End();
}
