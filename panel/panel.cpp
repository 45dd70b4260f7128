// The panel drawn with Dear ImGui, live or from its cached texture.
#include "panel/panel.h"

#include <imgui.h>
#include <backends/imgui_impl_opengl2.h>

#include "panel/panel_text.h"
#include "render/gl.h"
#include "render/graphics.h"
#include "sim/particles.h"

namespace {

// Sizes in pixels at the window's start-up size; a capture of another size
// scales them (PixelScale), so the panel keeps its share of the frame.
constexpr float kMarginAtStart = 8.0f;  // from the window's top-left corner

constexpr float kLabelWidthAtStart = 140.0f;
constexpr float kSliderWidthAtStart = 170.0f;

// The sizes for the frame being drawn.
float Scaled(float atStart) { return atStart * PixelScale(); }
int Margin() { return static_cast<int>(Scaled(kMarginAtStart)); }

void Start(Panel &panel) {
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO &io = ImGui::GetIO();
    io.IniFilename = nullptr;  // nothing to remember between runs
    io.LogFilename = nullptr;
    ImGui::StyleColorsDark();
    // Opaque and borderless, so that a copy of its pixels is the panel.
    ImGui::GetStyle().WindowBorderSize = 0.0f;
    if (PixelScale() != 1.0f) {
        ImGui::GetStyle().ScaleAllSizes(PixelScale());
        io.FontGlobalScale = PixelScale();
    }
    ImGui_ImplOpenGL2_Init();
    panel.ready = true;
}

// A slider over the value's notches, showing the value as the panel's
// lines read it; moved, it sets the value on its notch.
void Slider(const TunedValue &row, SimulationParameters &params, ControlRects &controls) {
    ImGui::AlignTextToFramePadding();
    ImGui::TextUnformatted(row.label);
    ImGui::SameLine(Scaled(kLabelWidthAtStart));
    ImGui::SetNextItemWidth(Scaled(kSliderWidthAtStart));
    std::string shown;  // ImGui reads it as a format: % doubled
    for (char c : ShownValue(row, params)) shown += c == '%' ? std::string("%%") : std::string(1, c);
    int notch = NotchOf(row, params);
    if (ImGui::SliderInt((std::string("##") + row.label).c_str(), &notch, 0, NotchCount(row) - 1, shown.c_str()))
        SetNotch(row, notch, params);
    controls.Remember(row.label);
    ImGui::SameLine();
    ImGui::TextUnformatted(KeysText(row, params).c_str());
}

// A small button that sets `angle` to zero.
void ZeroButton(const char *label, float &angle, ControlRects &controls) {
    ImGui::SameLine();
    if (ImGui::SmallButton(label)) angle = 0.0f;
    controls.Remember(label);
}

PanelRequests BuildPanel(Panel &panel, SimulationParameters &params, bool interactive) {
    PanelRequests requests;
    ControlRects &controls = panel.controls;
    ImGuiIO &io = ImGui::GetIO();
    io.DisplaySize = ImVec2(static_cast<float>(panel.width), static_cast<float>(panel.height));
    FeedPanelFrame(panel.input, interactive);
    ImGui_ImplOpenGL2_NewFrame();
    ImGui::NewFrame();
    ImGui::SetNextWindowPos(ImVec2(static_cast<float>(Margin()), static_cast<float>(Margin())));
    ImGui::SetNextWindowBgAlpha(1.0f);
    const ImGuiWindowFlags flags = ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_AlwaysAutoResize |
                                   ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoFocusOnAppearing |
                                   ImGuiWindowFlags_NoNav | ImGuiWindowFlags_NoMove;
    ImGui::Begin("Nimbrel panel", nullptr, flags);
    for (const TunedValue &row : kTunedValues) {
        if (!row.slider) continue;
        Slider(row, params, controls);
        if (row.number == &SimulationParameters::spinAngle) ZeroButton("zero spin", params.spinAngle, controls);
    }
    ImGui::AlignTextToFramePadding();
    ImGui::TextUnformatted("drag angles");
    ImGui::SameLine(Scaled(kLabelWidthAtStart));
    ImGui::Text("yaw %s", ShownValue(*FindValue("yaw"), params).c_str());
    ZeroButton("zero yaw", params.yawAngle, controls);
    ImGui::SameLine();
    ImGui::Text("pitch %s", ShownValue(*FindValue("pitch"), params).c_str());
    ZeroButton("zero pitch", params.pitchAngle, controls);
    ImGui::SameLine();
    ImGui::TextUnformatted("(left mouse)");
    ImGui::Checkbox("fade-out  C", &params.fadeOut);
    controls.Remember("fade-out");
    ImGui::SameLine(Scaled(kLabelWidthAtStart + kSliderWidthAtStart * 0.5f));
    ImGui::Checkbox("fade-in  M (wins over fade-out)", &params.fadeIn);
    controls.Remember("fade-in");
    if (ImGui::Button("Screenshot  Tab")) requests.screenshot = true;
    controls.Remember("Screenshot");
    ImGui::SameLine();
    if (ImGui::Button("Start values")) params = SimulationParameters{};
    controls.Remember("Start values");
    ImGui::SameLine();
    if (ImGui::Button("Save recording  F9")) requests.saveRecording = true;
    controls.Remember("Save recording");
    ImGui::Separator();
    PresetControls(panel.presets, panel.outcome, params, Scaled(kLabelWidthAtStart), Scaled(kSliderWidthAtStart),
                   controls);
    ImGui::Separator();
    // The timings and the closing line, as the panel's text has them:
    // after a line for each value, the drag angles and the two fades.
    const std::vector<std::string> &lines = panel.lines;
    for (std::size_t i = kPanelValueLines; i < lines.size(); ++i) ImGui::TextUnformatted(lines[i].c_str());
    panel.itemActive = ImGui::IsAnyItemActive();
    if (interactive) SetPanelTyping(panel.input, io.WantTextInput);
    panel.panelWidth = static_cast<int>(ImGui::GetWindowWidth());
    panel.panelHeight = static_cast<int>(ImGui::GetWindowHeight());
    SetPanelRect(panel.input, Margin(), Margin(), panel.panelWidth, panel.panelHeight);
    ImGui::End();
    ImGui::Render();
    return requests;
}

}  // namespace

void PanelFrameStarts(Panel &panel, bool shown) {
    if (shown)
        panel.timer.FrameStarts(FrameTimer::Clock::now(), panel.simulationMs);
    else
        panel.timer.Forget();
}

PanelRequests DrawPanel(Panel &panel, SimulationParameters &params) {
    if (!panel.ready) Start(panel);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const bool sameDrawable = viewport[2] == panel.width && viewport[3] == panel.height;
    panel.width = viewport[2];
    panel.height = viewport[3];

    // Hovered or worked: drawn live, every frame, with the mouse.
    const bool timingsChanged = panel.timer.TakeChanged();
    const PanelInput &input = panel.input;
    if (input.buttonHeld || panel.itemActive || input.typing || PointerOverPanel(input)) {
        panel.lines = PanelLines(params, panel.timer.Shown());
        const PanelRequests requests = BuildPanel(panel, params, true);
        // ImGui's renderer saves and restores the state it changes:
        // matrices and matrix mode, viewport, enables, blend function,
        // bound texture, texture environment and client arrays.
        ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
        panel.cached = false;
        return requests;
    }
    if (panel.cached && sameDrawable && !timingsChanged && params == panel.shown) {
        panel.cache.Draw(panel.width, panel.height);
        return {};
    }
    panel.shown = params;
    panel.lines = PanelLines(params, panel.timer.Shown());
    // An auto-sized window takes its size from the frame before: build
    // twice, so that the new text fits at once.
    BuildPanel(panel, params, false);
    BuildPanel(panel, params, false);
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    panel.cached = panel.cache.Copy(Margin(), Margin(), panel.panelWidth, panel.panelHeight, panel.width, panel.height);
    return {};
}

MessageUse PanelTakesMessage(Panel &panel, bool shown, const WindowMessage &message) {
    if (!shown) {
        PanelHidden(panel.input);
        return MessageUse::Handler;
    }
    return PanelInputTakes(panel.input, message);
}

void ShutdownPanel(Panel &panel) {
    if (!panel.ready) return;
    panel.cache.Release();
    ImGui_ImplOpenGL2_Shutdown();
    ImGui::DestroyContext();
    ResetPanelInput(panel.input);
    panel = Panel{};
}
