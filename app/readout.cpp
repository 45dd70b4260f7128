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

constexpr float kMargin = 8.0f;  // from the window's top-left corner

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
    bool timingsChanged = false;

    // The panel is drawn with ImGui only when the values, the timings or
    // the drawable change, and copied into a texture then; every other frame draws
    // that texture as one quad, which costs the main thread far less than
    // a thousand glyphs.
    SimulationParameters params;         // the values it shows
    std::vector<std::string> lines;
    int width = 0, height = 0;           // the drawable it was built for
    int panelWidth = 0, panelHeight = 0;  // its size in pixels
    GLuint texture = 0;
    int textureSize = 0;  // square, a power of two
    bool cached = false;
} readout;

void Start() {
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO &io = ImGui::GetIO();
    io.IniFilename = nullptr;  // nothing to remember between runs
    io.LogFilename = nullptr;
    ImGui::StyleColorsDark();
    // Opaque and borderless, so that a copy of its pixels is the panel.
    ImGui::GetStyle().WindowBorderSize = 0.0f;
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
            readout.timingsChanged = true;
            readout.frames = 0;
            readout.periodMs = readout.simulationMs = 0.0;
        }
    }
    readout.haveLastStart = true;
    readout.lastStart = start;
}

void BuildPanel() {
    ImGuiIO &io = ImGui::GetIO();
    io.DisplaySize = ImVec2(static_cast<float>(readout.width), static_cast<float>(readout.height));
    io.DeltaTime = 1.0f / 60.0f;  // nothing animates
    ImGui_ImplOpenGL2_NewFrame();
    ImGui::NewFrame();
    ImGui::SetNextWindowPos(ImVec2(kMargin, kMargin));
    ImGui::SetNextWindowBgAlpha(1.0f);
    const ImGuiWindowFlags flags = ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoInputs |
                                   ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoSavedSettings |
                                   ImGuiWindowFlags_NoFocusOnAppearing | ImGuiWindowFlags_NoNav |
                                   ImGuiWindowFlags_NoMove;
    ImGui::Begin("Nimbrel readout", nullptr, flags);
    for (const std::string &line : readout.lines) ImGui::TextUnformatted(line.c_str());
    readout.panelWidth = static_cast<int>(ImGui::GetWindowWidth());
    readout.panelHeight = static_cast<int>(ImGui::GetWindowHeight());
    ImGui::End();
    ImGui::Render();
}

// Copies the panel just drawn into the texture, made large enough first.
// False when the panel does not fit the drawable.
bool CachePanel() {
    const int x = static_cast<int>(kMargin), top = static_cast<int>(kMargin);
    const int w = readout.panelWidth, h = readout.panelHeight;
    if (w <= 0 || h <= 0 || x + w > readout.width || top + h > readout.height) return false;

    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    if (!readout.texture) glGenTextures(1, &readout.texture);
    glBindTexture(GL_TEXTURE_2D, readout.texture);
    if (readout.textureSize < w || readout.textureSize < h) {
        int size = 256;
        while (size < w || size < h) size *= 2;
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, size, size, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        readout.textureSize = size;
    }
    // The window's rows count from the bottom.
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, x, readout.height - top - h, w, h);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    return true;
}

// The cached panel as one textured quad, every piece of state it changes
// put back: enables, texture binding and environment, matrices and matrix
// mode, the current texture coordinate.
void DrawCachedPanel() {
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_TRANSFORM_BIT | GL_CURRENT_BIT);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, readout.texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, readout.width, readout.height, 0.0, -1.0, 1.0);  // pixels, top-left origin
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    const float x0 = kMargin, y0 = kMargin;
    const float x1 = x0 + static_cast<float>(readout.panelWidth), y1 = y0 + static_cast<float>(readout.panelHeight);
    const float s = static_cast<float>(readout.panelWidth) / static_cast<float>(readout.textureSize);
    const float t = static_cast<float>(readout.panelHeight) / static_cast<float>(readout.textureSize);
    glBegin(GL_QUADS);  // texture rows count from the bottom, as copied
    glTexCoord2f(0.0f, t);
    glVertex2f(x0, y0);
    glTexCoord2f(s, t);
    glVertex2f(x1, y0);
    glTexCoord2f(s, 0.0f);
    glVertex2f(x1, y1);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(x0, y1);
    glEnd();

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}

void DrawPanel() {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const bool sameDrawable = viewport[2] == readout.width && viewport[3] == readout.height;
    if (readout.cached && sameDrawable && !readout.timingsChanged && gParams == readout.params) {
        DrawCachedPanel();
        return;
    }
    readout.params = gParams;
    readout.timingsChanged = false;
    readout.lines = ReadoutLines(gParams, readout.shown);
    readout.width = viewport[2];
    readout.height = viewport[3];
    // An auto-sized window takes its size from the frame before: build
    // twice, so that the new text fits at once.
    BuildPanel();
    BuildPanel();
    // ImGui's renderer saves and restores the state it changes: matrices
    // and matrix mode, viewport, enables, blend function, bound texture,
    // texture environment and client arrays.
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    readout.cached = CachePanel();
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
    if (readout.texture) glDeleteTextures(1, &readout.texture);
    ImGui_ImplOpenGL2_Shutdown();
    ImGui::DestroyContext();
    readout = Readout{};
}
