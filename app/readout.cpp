#include "app/readout.h"

#include <imgui.h>
#include <backends/imgui_impl_opengl2.h>

#include <algorithm>
#include <cfloat>
#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "app/key_actions.h"
#include "app/panel_presets.h"
#include "app/readout_text.h"
#include "app/screenshot.h"
#include "platform/sdl_platform.h"
#include "render/frame.h"
#include "render/gl.h"
#include "sim/particles.h"

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

    // The mouse, as the window messages tell it; the panel holds the left
    // button from a press made over it to its release.
    bool pointerKnown = false;
    int pointerX = 0, pointerY = 0;
    bool buttonHeld = false;
    bool itemActive = false;  // a control was being worked last frame
    bool live = false;        // last drawn live
    bool typing = false;      // a text field has the keyboard
    std::map<std::string, ImVec4> controls;  // label: x, y, width, height
} readout;

constexpr float kLabelWidth = 140.0f;
constexpr float kSliderWidth = 170.0f;

// The keys a text field uses, by virtual-key code.
struct FieldKey {
    std::uint32_t code;
    ImGuiKey key;
};
constexpr FieldKey kFieldKeys[] = {
    {0x08, ImGuiKey_Backspace}, {0x09, ImGuiKey_Tab},   {0x0D, ImGuiKey_Enter},     {0x1B, ImGuiKey_Escape},
    {0x23, ImGuiKey_End},       {0x24, ImGuiKey_Home},  {0x25, ImGuiKey_LeftArrow}, {0x27, ImGuiKey_RightArrow},
    {0x2E, ImGuiKey_Delete},
};

void Start() {
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO &io = ImGui::GetIO();
    io.IniFilename = nullptr;  // nothing to remember between runs
    io.LogFilename = nullptr;
    ImGui::StyleColorsDark();
    // Opaque and borderless, so that a copy of its pixels is the panel.
    ImGui::GetStyle().WindowBorderSize = 0.0f;
#if IMGUI_VERSION_NUM < 18700
    for (const FieldKey &field : kFieldKeys) io.KeyMap[field.key] = static_cast<int>(field.code);
#endif
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

// ImGui's input: the mouse as the messages left it, or none at all.
void FeedMouse(bool interactive) {
    ImGuiIO &io = ImGui::GetIO();
    const bool known = interactive && readout.pointerKnown;
    const ImVec2 position = known ? ImVec2(static_cast<float>(readout.pointerX), static_cast<float>(readout.pointerY))
                                  : ImVec2(-FLT_MAX, -FLT_MAX);
    const bool down = interactive && readout.buttonHeld;
#if IMGUI_VERSION_NUM >= 18700
    io.AddMousePosEvent(position.x, position.y);
    io.AddMouseButtonEvent(0, down);
#else
    io.MousePos = position;
    io.MouseDown[0] = down;
#endif
}

void FeedKey(std::uint32_t code, bool down) {
    for (const FieldKey &field : kFieldKeys) {
        if (field.code != code) continue;
#if IMGUI_VERSION_NUM >= 18700
        ImGui::GetIO().AddKeyEvent(field.key, down);
#else
        ImGui::GetIO().KeysDown[code] = down;  // KeyMap maps the key to its code
#endif
    }
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
    ImGui::SameLine(kLabelWidth);
    ImGui::SetNextItemWidth(kSliderWidth);
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
    io.DeltaTime = 1.0f / 60.0f;  // nothing animates
    FeedMouse(interactive);
    ImGui_ImplOpenGL2_NewFrame();
    ImGui::NewFrame();
    ImGui::SetNextWindowPos(ImVec2(kMargin, kMargin));
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
    ImGui::SameLine(kLabelWidth);
    ImGui::Text("yaw %s", FormatStepped(gParams.yawAngle, 1.0).c_str());
    ZeroButton("zero yaw", gParams.yawAngle);
    ImGui::SameLine();
    ImGui::Text("pitch %s", FormatStepped(gParams.pitchAngle, 1.0).c_str());
    ZeroButton("zero pitch", gParams.pitchAngle);
    ImGui::SameLine();
    ImGui::TextUnformatted("(left mouse)");
    ImGui::Checkbox("fade-out  C", &gParams.fadeOut);
    Remember("fade-out");
    ImGui::SameLine(kLabelWidth + kSliderWidth * 0.5f);
    ImGui::Checkbox("fade-in  M (wins over fade-out)", &gParams.fadeIn);
    Remember("fade-in");
    if (ImGui::Button("Screenshot  Tab")) RequestScreenshot();
    Remember("Screenshot");
    ImGui::SameLine();
    if (ImGui::Button("Start values")) gParams = SimulationParameters{};
    Remember("Start values");
    ImGui::Separator();
    PresetControls(kLabelWidth, kSliderWidth, Remember);
    ImGui::Separator();
    // The timings and the closing line, as the readout's text has them:
    // after a line for each value, the drag angles and the two fades.
    const std::vector<std::string> &lines = readout.lines;
    for (std::size_t i = kTunedValueCount + 3; i < lines.size(); ++i) ImGui::TextUnformatted(lines[i].c_str());
    readout.itemActive = ImGui::IsAnyItemActive();
    readout.typing = interactive && io.WantTextInput;
    readout.panelWidth = static_cast<int>(ImGui::GetWindowWidth());
    readout.panelHeight = static_cast<int>(ImGui::GetWindowHeight());
    ImGui::End();
    ImGui::Render();
}

bool PointerOverPanel() {
    const int x = readout.pointerX - static_cast<int>(kMargin), y = readout.pointerY - static_cast<int>(kMargin);
    return readout.pointerKnown && readout.panelWidth > 0 && x >= 0 && y >= 0 && x < readout.panelWidth &&
           y < readout.panelHeight;
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
    readout.width = viewport[2];
    readout.height = viewport[3];

    // Hovered or worked: drawn live, every frame, with the mouse.
    readout.live = readout.buttonHeld || readout.itemActive || readout.typing || PointerOverPanel();
    if (readout.live) {
        readout.lines = ReadoutLines(gParams, readout.shown);
        BuildPanel(true);
        // ImGui's renderer saves and restores the state it changes:
        // matrices and matrix mode, viewport, enables, blend function,
        // bound texture, texture environment and client arrays.
        ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
        readout.cached = false;
        SetTextInput(readout.typing);  // typed characters come as Text messages
        return;
    }
    if (readout.cached && sameDrawable && !readout.timingsChanged && gParams == readout.params) {
        DrawCachedPanel();
        return;
    }
    readout.params = gParams;
    readout.timingsChanged = false;
    readout.lines = ReadoutLines(gParams, readout.shown);
    // An auto-sized window takes its size from the frame before: build
    // twice, so that the new text fits at once.
    BuildPanel(false);
    BuildPanel(false);
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

bool ReadoutTakesMessage(const WindowMessage &message) {
    if (!gReadoutShown) {
        readout.buttonHeld = false;
        if (readout.typing) SetTextInput(false);
        readout.typing = false;
        return false;
    }
    // While a text field has the keyboard, keys and text type into it.
    if (readout.typing) {
        switch (message.kind) {
        case MessageKind::KeyDown:
        case MessageKind::KeyUp:
            FeedKey(message.param, message.kind == MessageKind::KeyDown);
            return true;
        case MessageKind::Text:
            ImGui::GetIO().AddInputCharacter(message.param);
            return true;
        default:
            break;
        }
    }
    const int x = static_cast<int>(message.param & 0xFFFFu), y = static_cast<int>(message.param >> 16);
    switch (message.kind) {
    case MessageKind::MouseMove:
        readout.pointerKnown = true;
        readout.pointerX = x;
        readout.pointerY = y;
        return false;  // the handler still follows it, and turns the view on a drag
    case MessageKind::LeftButtonDown:
        readout.pointerKnown = true;
        readout.pointerX = x;
        readout.pointerY = y;
        readout.buttonHeld = PointerOverPanel();
        return readout.buttonHeld;
    case MessageKind::LeftButtonUp:
        if (!readout.buttonHeld) return false;
        readout.buttonHeld = false;
        return true;
    default:
        return false;
    }
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
    if (readout.texture) glDeleteTextures(1, &readout.texture);
    ImGui_ImplOpenGL2_Shutdown();
    ImGui::DestroyContext();
    readout = Readout{};
}
