#include "app/readout.h"

#include <imgui.h>
#include <backends/imgui_impl_opengl2.h>

#include <chrono>
#include <string>
#include <vector>

#include "app/key_actions.h"
#include "app/readout_text.h"
#include "render/frame.h"
#include "render/gl.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kWindowSeconds = 0.5;

// The panel's state, made when it is first shown.
struct Readout {
    bool ready = false;

    // Timings: frames since the window opened, and the period and
    // simulation time they added up to.
    bool haveLastStart = false;
    Clock::time_point lastStart;
    double lastSimulationMs = 0.0;
    int frames = 0;
    double periodMs = 0.0, simulationMs = 0.0;
    FrameTimings shown;

    // The ImGui frame is built again only when its text or the drawable
    // changes; between, its draw lists are drawn as they are.
    std::vector<std::string> lines;
    int width = 0, height = 0;
} readout;

void Start() {
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO &io = ImGui::GetIO();
    io.IniFilename = nullptr;  // nothing to remember between runs
    io.LogFilename = nullptr;
    ImGui::StyleColorsDark();
    ImGui_ImplOpenGL2_Init();
    readout.ready = true;
}

void Measure(Clock::time_point start) {
    if (readout.haveLastStart) {
        ++readout.frames;
        readout.periodMs += std::chrono::duration<double, std::milli>(start - readout.lastStart).count();
        readout.simulationMs += readout.lastSimulationMs;
        if (readout.periodMs >= kWindowSeconds * 1000.0) {
            readout.shown.measured = true;
            readout.shown.fps = readout.frames * 1000.0 / readout.periodMs;
            readout.shown.simulationMs = readout.simulationMs / readout.frames;
            readout.shown.drawingMs = (readout.periodMs - readout.simulationMs) / readout.frames;
            readout.frames = 0;
            readout.periodMs = readout.simulationMs = 0.0;
        }
    }
    readout.haveLastStart = true;
    readout.lastStart = start;
}

void BuildPanel(std::vector<std::string> lines, int width, int height) {
    readout.lines = std::move(lines);
    readout.width = width;
    readout.height = height;

    ImGuiIO &io = ImGui::GetIO();
    io.DisplaySize = ImVec2(static_cast<float>(width), static_cast<float>(height));
    io.DeltaTime = 1.0f / 60.0f;  // nothing animates
    ImGui_ImplOpenGL2_NewFrame();
    ImGui::NewFrame();
    ImGui::SetNextWindowPos(ImVec2(8.0f, 8.0f));
    ImGui::SetNextWindowBgAlpha(0.85f);
    const ImGuiWindowFlags flags = ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoInputs |
                                   ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoSavedSettings |
                                   ImGuiWindowFlags_NoFocusOnAppearing | ImGuiWindowFlags_NoNav |
                                   ImGuiWindowFlags_NoMove;
    ImGui::Begin("Nimbrel readout", nullptr, flags);
    for (const std::string &line : readout.lines) ImGui::TextUnformatted(line.c_str());
    ImGui::End();
    ImGui::Render();
}

void DrawPanel() {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    std::vector<std::string> lines = ReadoutLines(gParams, readout.shown);
    if (lines != readout.lines || viewport[2] != readout.width || viewport[3] != readout.height) {
        // An auto-sized window takes its size from the frame before: build
        // twice, so that the new text fits at once.
        BuildPanel(lines, viewport[2], viewport[3]);
        BuildPanel(std::move(lines), viewport[2], viewport[3]);
    }
    // The renderer saves and restores the state it changes: matrices and
    // matrix mode, viewport, enables, blend function, bound texture,
    // texture environment and client arrays.
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
}

}  // namespace

void DrawFrameWithReadout() {
    if (!gReadoutShown) {
        readout.haveLastStart = false;
        DrawFrame();
        return;
    }
    Measure(Clock::now());
    DrawFrame(&readout.lastSimulationMs);
    if (!readout.ready) Start();
    DrawPanel();
}

void ShutdownReadout() {
    if (!readout.ready) return;
    ImGui_ImplOpenGL2_Shutdown();
    ImGui::DestroyContext();
    readout = Readout{};
}
