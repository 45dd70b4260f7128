#include "app/readout.h"

#include <imgui.h>
#include <backends/imgui_impl_opengl2.h>

#include <map>
#include <string>
#include <vector>

#include "app/key_actions.h"
#include "app/outcome.h"
#include "app/panel_presets.h"
#include "app/recorder.h"
#include "app/readout_cache.h"
#include "app/readout_input.h"
#include "app/readout_text.h"
#include "app/readout_timings.h"
#include "app/screenshot.h"
#include "render/frame.h"
#include "render/gl.h"
#include "render/graphics.h"
#include "sim/particles.h"

namespace {

// Sizes in pixels at the window's start-up size; a capture of another size
// scales them (PixelScale), so the panel keeps its share of the frame.
constexpr float kMarginAtStart = 8.0f;  // from the window's top-left corner

// The panel's layout and what it was last drawn from, made when it is
// first shown. It is drawn with ImGui only when the values, the timings or
// the drawable change, or while it is hovered or worked; every other frame
// draws the cached copy.
struct Readout {
    bool ready = false;
    FrameTimer timer;
    double lastSimulationMs = 0.0;
    PanelCache cache;
    bool cached = false;

    SimulationParameters params;  // the values it shows
    std::vector<std::string> lines;
    int width = 0, height = 0;            // the drawable it was built for
    int panelWidth = 0, panelHeight = 0;  // its size in pixels
    bool itemActive = false;              // a control was being worked last frame
    bool live = false;                    // last drawn live
    std::map<std::string, ImVec4> controls;  // label: x, y, width, height
} readout;

constexpr float kLabelWidthAtStart = 140.0f;
constexpr float kSliderWidthAtStart = 170.0f;

// The sizes for the frame being drawn.
float Scaled(float atStart) { return atStart * PixelScale(); }
int Margin() { return static_cast<int>(Scaled(kMarginAtStart)); }

void Start() {
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
    readout.ready = true;
}

void Remember(const char *label) {
    const ImVec2 min = ImGui::GetItemRectMin(), max = ImGui::GetItemRectMax();
    readout.controls[label] = ImVec4(min.x, min.y, max.x - min.x, max.y - min.y);
}

// A slider over the value's notches, showing the value as the readout
// reads it; moved, it sets the value on its notch.
void Slider(const TunedValue &tuned) {
    ImGui::AlignTextToFramePadding();
    ImGui::TextUnformatted(tuned.label);
    ImGui::SameLine(Scaled(kLabelWidthAtStart));
    ImGui::SetNextItemWidth(Scaled(kSliderWidthAtStart));
    std::string shown;  // ImGui reads it as a format: % doubled
    for (char c : ValueText(tuned, gParams)) shown += c == '%' ? std::string("%%") : std::string(1, c);
    int notch = NotchOf(tuned, gParams);
    if (ImGui::SliderInt((std::string("##") + tuned.label).c_str(), &notch, 0, NotchCount(tuned) - 1, shown.c_str()))
        SetNotch(tuned, notch);
    Remember(tuned.label);
    ImGui::SameLine();
    ImGui::TextUnformatted(KeysText(tuned).c_str());
}

// A small button that sets `angle` to zero.
void ZeroButton(const char *label, float &angle) {
    ImGui::SameLine();
    if (ImGui::SmallButton(label)) angle = 0.0f;
    Remember(label);
}

void BuildPanel(bool interactive) {
    ImGuiIO &io = ImGui::GetIO();
    io.DisplaySize = ImVec2(static_cast<float>(readout.width), static_cast<float>(readout.height));
    FeedPanelFrame(interactive);
    ImGui_ImplOpenGL2_NewFrame();
    ImGui::NewFrame();
    ImGui::SetNextWindowPos(ImVec2(static_cast<float>(Margin()), static_cast<float>(Margin())));
    ImGui::SetNextWindowBgAlpha(1.0f);
    const ImGuiWindowFlags flags = ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_AlwaysAutoResize |
                                   ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoFocusOnAppearing |
                                   ImGuiWindowFlags_NoNav | ImGuiWindowFlags_NoMove;
    ImGui::Begin("Nimbrel readout", nullptr, flags);
    const TunedValue *tuned = TunedValues();
    for (int i = 0; i < kTunedValueCount; ++i) {
        Slider(tuned[i]);
        if (tuned[i].value == &SimulationParameters::spinAngle) ZeroButton("zero spin", gParams.spinAngle);
    }
    ImGui::AlignTextToFramePadding();
    ImGui::TextUnformatted("drag angles");
    ImGui::SameLine(Scaled(kLabelWidthAtStart));
    ImGui::Text("yaw %s", FormatStepped(gParams.yawAngle, 1.0).c_str());
    ZeroButton("zero yaw", gParams.yawAngle);
    ImGui::SameLine();
    ImGui::Text("pitch %s", FormatStepped(gParams.pitchAngle, 1.0).c_str());
    ZeroButton("zero pitch", gParams.pitchAngle);
    ImGui::SameLine();
    ImGui::TextUnformatted("(left mouse)");
    ImGui::Checkbox("fade-out  C", &gParams.fadeOut);
    Remember("fade-out");
    ImGui::SameLine(Scaled(kLabelWidthAtStart + kSliderWidthAtStart * 0.5f));
    ImGui::Checkbox("fade-in  M (wins over fade-out)", &gParams.fadeIn);
    Remember("fade-in");
    if (ImGui::Button("Screenshot  Tab")) RequestScreenshot();
    Remember("Screenshot");
    ImGui::SameLine();
    if (ImGui::Button("Start values")) gParams = SimulationParameters{};
    Remember("Start values");
    ImGui::SameLine();
    if (ImGui::Button("Save recording  F9")) {
        std::string message;
        SaveRecordingNow(message);
        TellOutcome(message);
    }
    Remember("Save recording");
    ImGui::Separator();
    PresetControls(Scaled(kLabelWidthAtStart), Scaled(kSliderWidthAtStart), Remember);
    ImGui::Separator();
    // The timings and the closing line, as the readout's text has them:
    // after a line for each value, the drag angles and the two fades.
    const std::vector<std::string> &lines = readout.lines;
    for (std::size_t i = kReadoutValueLines; i < lines.size(); ++i) ImGui::TextUnformatted(lines[i].c_str());
    readout.itemActive = ImGui::IsAnyItemActive();
    if (interactive) SetPanelTyping(io.WantTextInput);
    readout.panelWidth = static_cast<int>(ImGui::GetWindowWidth());
    readout.panelHeight = static_cast<int>(ImGui::GetWindowHeight());
    SetPanelRect(Margin(), Margin(), readout.panelWidth, readout.panelHeight);
    ImGui::End();
    ImGui::Render();
}

void DrawPanel() {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const bool sameDrawable = viewport[2] == readout.width && viewport[3] == readout.height;
    readout.width = viewport[2];
    readout.height = viewport[3];

    // Hovered or worked: drawn live, every frame, with the mouse.
    const bool timingsChanged = readout.timer.TakeChanged();
    readout.live = PanelButtonHeld() || readout.itemActive || PanelTyping() || PointerOverPanel();
    if (readout.live) {
        readout.lines = ReadoutLines(gParams, readout.timer.Shown());
        BuildPanel(true);
        // ImGui's renderer saves and restores the state it changes:
        // matrices and matrix mode, viewport, enables, blend function,
        // bound texture, texture environment and client arrays.
        ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
        readout.cached = false;
        return;
    }
    if (readout.cached && sameDrawable && !timingsChanged && gParams == readout.params) {
        readout.cache.Draw(readout.width, readout.height);
        return;
    }
    readout.params = gParams;
    readout.lines = ReadoutLines(gParams, readout.timer.Shown());
    // An auto-sized window takes its size from the frame before: build
    // twice, so that the new text fits at once.
    BuildPanel(false);
    BuildPanel(false);
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    readout.cached =
        readout.cache.Copy(Margin(), Margin(), readout.panelWidth, readout.panelHeight, readout.width, readout.height);
}

}  // namespace

void DrawFrameWithReadout() {
    if (!gReadoutShown) {
        readout.timer.Forget();
        DrawFrame();
        return;
    }
    readout.timer.FrameStarts(FrameTimer::Clock::now(), readout.lastSimulationMs);
    DrawFrame(&readout.lastSimulationMs);
    if (!readout.ready) Start();
    DrawPanel();
}

MessageUse ReadoutTakesMessage(const WindowMessage &message) {
    if (!gReadoutShown) {
        PanelHidden();
        return MessageUse::Handler;
    }
    return PanelTakesMessage(message);
}

bool ReadoutControlRect(const std::string &label, int rect[4]) {
    const auto found = readout.controls.find(label);
    if (found == readout.controls.end()) return false;
    const ImVec4 &r = found->second;
    rect[0] = static_cast<int>(r.x);
    rect[1] = static_cast<int>(r.y);
    rect[2] = static_cast<int>(r.z);
    rect[3] = static_cast<int>(r.w);
    return true;
}

bool ReadoutDrawnLive() { return readout.live; }

void ShutdownReadout() {
    if (!readout.ready) return;
    readout.cache.Release();
    ImGui_ImplOpenGL2_Shutdown();
    ImGui::DestroyContext();
    ResetPanelInput();
    readout = Readout{};
}
