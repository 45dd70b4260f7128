// Where the panel drew each of its controls, by label, so that tests and
// scripted input can find them.
#pragma once

#include <imgui.h>

#include <map>
#include <string>

struct ControlRects {
    std::map<std::string, ImVec4> rects;  // label: x, y, width, height

    // The control ImGui drew last, under `label`.
    void Remember(const char *label) {
        const ImVec2 min = ImGui::GetItemRectMin(), max = ImGui::GetItemRectMax();
        rects[label] = ImVec4(min.x, min.y, max.x - min.x, max.y - min.y);
    }
    // In window pixels from the top-left corner: x, y, width, height.
    // False when no control of that label was drawn.
    bool Find(const std::string &label, int rect[4]) const {
        const auto found = rects.find(label);
        if (found == rects.end()) return false;
        const ImVec4 &r = found->second;
        rect[0] = static_cast<int>(r.x);
        rect[1] = static_cast<int>(r.y);
        rect[2] = static_cast<int>(r.z);
        rect[3] = static_cast<int>(r.w);
        return true;
    }
};
