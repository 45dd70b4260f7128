// libFuzzer target: any bytes at all, handed to the panel as its kept
// place (panel.ini), then a frame of the panel's window and the place kept
// again. Run under AddressSanitizer and UndefinedBehaviorSanitizer.
#include <imgui.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "panel/panel_state.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size > kMaxPanelStateBytes) return 0;  // the reader refuses more
    ImGui::CreateContext();
    ImGuiIO &io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.DisplaySize = ImVec2(800.0f, 800.0f);
    io.DeltaTime = 1.0f / 60.0f;
    unsigned char *pixels = nullptr;
    int width = 0, height = 0;
    io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
    LoadPanelPlaceText(std::string(reinterpret_cast<const char *>(data), size));
    for (int frame = 0; frame < 2; ++frame) {
        ImGui::NewFrame();
        ImGui::SetNextWindowPos(ImVec2(8.0f, 8.0f), ImGuiCond_FirstUseEver);
        ImGui::Begin("Nimbrel panel", nullptr, ImGuiWindowFlags_NoFocusOnAppearing | ImGuiWindowFlags_NoNav);
        ImGui::TextUnformatted("drift speed");
        ImGui::End();
        ImGui::Render();
    }
    std::size_t kept = 0;
    ImGui::SaveIniSettingsToMemory(&kept);
    ImGui::DestroyContext();
    return 0;
}
