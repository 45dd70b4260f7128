// The panel drawn with Dear ImGui, built anew or drawn again as last built.
#include "panel/panel.h"

#include <imgui.h>
#include <backends/imgui_impl_opengl2.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "panel/panel_state.h"
#include "panel/panel_text.h"
#include "render/gl.h"
#include "render/graphics.h"
#include "render/read_back.h"
#include "sim/particles.h"

namespace {

// Sizes in pixels at the window's start-up size; a capture of another size
// scales them (PixelScale), so the panel keeps its share of the frame.
constexpr float kMarginAtStart = 8.0f;  // from the window's top-left corner, where it first opens

// The columns of a value's row: its label, its slider, the value, its
// reset button, its keys. Fixed, so that nothing moves as values change.
constexpr float kLabelWidthAtStart = 124.0f;
constexpr float kSliderWidthAtStart = 140.0f;
constexpr float kValueColumnAtStart = kLabelWidthAtStart + kSliderWidthAtStart + 8.0f;
constexpr float kResetColumnAtStart = kValueColumnAtStart + 58.0f;
constexpr float kKeysColumnAtStart = kResetColumnAtStart + 50.0f;
// The drag angles' row, from the slider's column: yaw, its button, pitch,
// its button, the hint.
constexpr float kAngleColumnsAtStart[] = {0.0f, 66.0f, 144.0f, 212.0f, 296.0f};

// How much of the smoke shows through the panel's background.
constexpr float kBackgroundAlpha = 0.55f;
// Behind every glyph, a dark band a little larger than it, so that text
// keeps its contrast over any smoke, white included, while the smoke still
// shows through the panel between the lines: how much it darkens, and by
// how many pixels (at the start-up size) it reaches past the glyph.
constexpr float kBackdropAlpha = 0.8f;
constexpr float kBackdropReachAtStart = 2.0f;
// The help line and disabled buttons: grey, yet light enough to read over
// that band (a contrast of over 7:1 over white smoke).
const ImVec4 kQuietText(0.72f, 0.72f, 0.72f, 1.0f);
constexpr float kGraphHeightAtStart = 40.0f;

// The sizes for the frame being drawn.
float Scaled(float atStart) { return atStart * PixelScale(); }
float Margin() { return static_cast<float>(static_cast<int>(Scaled(kMarginAtStart))); }

void Start(Panel &panel) {
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO &io = ImGui::GetIO();
    io.IniFilename = nullptr;  // its place is kept by panel_state, as a file from outside
    io.LogFilename = nullptr;
    // A press between the controls never moves the window; its title
    // bar, which does, always stays on screen.
    io.ConfigWindowsMoveFromTitleBarOnly = true;
    ImGui::StyleColorsDark();
    ImGui::GetStyle().Colors[ImGuiCol_TextDisabled] = kQuietText;
    if (PixelScale() != 1.0f) {
        ImGui::GetStyle().ScaleAllSizes(PixelScale());
        io.FontGlobalScale = PixelScale();
    }
    ImGui_ImplOpenGL2_Init();
    if (panel.live) LoadPanelPlace(panel.place);
    panel.ready = true;
}

void StartEdit(ValueEdit &edit, const TunedValue &row, const SimulationParameters &params) {
    edit.row = IndexOf(row);
    edit.seenActive = false;
    edit.waited = 0;
    const std::string text = ValueText(row, params);
    std::snprintf(edit.text, sizeof edit.text, "%s", text.c_str());
}

// The field that takes a typed value in place of the slider: Return sets
// it, within the range a preset may give; Escape or a click elsewhere
// leaves the value as it was.
void TypeValue(Panel &panel, const TunedValue &row, SimulationParameters &params, const char *id) {
    ValueEdit &edit = panel.edit;
    if (!edit.seenActive) ImGui::SetKeyboardFocusHere();
    const bool entered = ImGui::InputText(id, edit.text, sizeof edit.text,
                                          ImGuiInputTextFlags_EnterReturnsTrue | ImGuiInputTextFlags_AutoSelectAll |
                                              ImGuiInputTextFlags_CharsNoBlank);
    if (entered) {
        SimulationParameters typed = params;
        std::string problem;
        if (ParseValueText(row, edit.text, typed, problem))
            params = typed;
        else
            panel.outcome.Show(std::string(row.label) + ": " + problem);
        edit.row = -1;
    } else if (ImGui::IsItemActive()) {
        edit.seenActive = true;
    } else if (edit.seenActive || ++edit.waited > 3) {  // let go, or never took the keyboard
        edit.row = -1;
    }
}

// A slider over the value's notches; moved, it sets the value on its
// notch. Ctrl+click or a double-click types a value instead; the wheel
// over it steps it as its keys do.
void SliderOrField(Panel &panel, const TunedValue &row, SimulationParameters &params, int wheel) {
    ValueEdit &edit = panel.edit;
    const int index = IndexOf(row);
    const std::string id = std::string("##") + row.label;
    ImGui::SetNextItemWidth(Scaled(kSliderWidthAtStart));
    if (edit.row == index) {
        TypeValue(panel, row, params, id.c_str());
        return;
    }
    int notch = NotchOf(row, params);
    const bool moved = ImGui::SliderInt(id.c_str(), &notch, 0, NotchCount(row) - 1, "", ImGuiSliderFlags_NoInput);
    const bool doubleClick = ImGui::IsItemHovered() && ImGui::IsMouseDoubleClicked(0);
    if (ImGui::IsItemActivated() && !doubleClick) {
        edit.pressedRow = index;
        edit.pressedValue = ValueOf(row, params);
    }
    if ((ImGui::IsItemActivated() && ImGui::GetIO().KeyCtrl) || doubleClick) {
        // The value the first click moved the slider from.
        std::string ignored;
        if (doubleClick && edit.pressedRow == index) SetValue(row, edit.pressedValue, params, ignored);
        StartEdit(edit, row, params);
        return;
    }
    if (moved) SetNotch(row, notch, params);
    if (wheel != 0 && ImGui::IsItemHovered())
        for (int i = 0; i < std::abs(wheel); ++i) PressKey(row, wheel > 0, params);
}

// A value's row: label, slider, value, a reset button while it differs
// from its start value, keys.
void ValueRow(Panel &panel, const TunedValue &row, SimulationParameters &params, int wheel) {
    ControlRects &controls = panel.controls;
    ImGui::AlignTextToFramePadding();
    ImGui::TextUnformatted(row.label);
    ImGui::SameLine(Scaled(kLabelWidthAtStart));
    SliderOrField(panel, row, params, wheel);
    controls.Remember(row.label);
    ImGui::SameLine(Scaled(kValueColumnAtStart));
    ImGui::TextUnformatted(ShownValue(row, params).c_str());
    static const SimulationParameters start;  // constant: the values a run starts with
    if (!SameValue(row, params, start)) {
        ImGui::SameLine(Scaled(kResetColumnAtStart));
        if (ImGui::SmallButton((std::string("reset##") + row.label).c_str())) {
            std::string ignored;
            if (row.kind == ValueKind::Flag)
                SetValue(row, start.*row.flag, params, ignored);
            else
                SetValue(row, ValueOf(row, start), params, ignored);
        }
        controls.Remember((std::string("reset ") + row.label).c_str());
    }
    ImGui::SameLine(Scaled(kKeysColumnAtStart));
    ImGui::TextUnformatted(KeysText(row, params).c_str());
}

// A small button that sets `angle` to zero.
void ZeroButton(const char *label, float &angle, ControlRects &controls) {
    if (ImGui::SmallButton(label)) angle = 0.0f;
    controls.Remember(label);
}

void DragAngles(SimulationParameters &params, ControlRects &controls) {
    const auto column = [](int i) { return Scaled(kLabelWidthAtStart + kAngleColumnsAtStart[i]); };
    ImGui::AlignTextToFramePadding();
    ImGui::TextUnformatted("drag angles");
    ImGui::SameLine(column(0));
    ImGui::Text("yaw %s", ShownValue(*FindValue("yaw"), params).c_str());
    ImGui::SameLine(column(1));
    ZeroButton("zero yaw", params.yawAngle, controls);
    ImGui::SameLine(column(2));
    ImGui::Text("pitch %s", ShownValue(*FindValue("pitch"), params).c_str());
    ImGui::SameLine(column(3));
    ZeroButton("zero pitch", params.pitchAngle, controls);
    ImGui::SameLine(column(4));
    ImGui::TextUnformatted("(left mouse)");
}

// The timings as measured, with what draws the smoke.
FrameTimings TimingsShown(const Panel &panel) {
    FrameTimings timings = panel.timer.Shown();
    timings.renderer = panel.renderer;
    timings.capFps = panel.capFps;
    return timings;
}

// The timings and the closing line, as the panel's text has them, and the
// frame times of the last seconds as a graph.
void Timings(const Panel &panel) {
    const std::vector<std::string> &lines = panel.lines;
    for (std::size_t i = kPanelValueLines; i < lines.size(); ++i) ImGui::TextUnformatted(lines[i].c_str());
    const auto &graph = panel.timer.Graph();
    float longest = 0.0f;
    for (float ms : graph) longest = ms > longest ? ms : longest;
    char caption[48];
    std::snprintf(caption, sizeof caption, "frame work, up to %.1f ms", static_cast<double>(longest));
    ImGui::PlotLines("##frame times", graph.data(), static_cast<int>(graph.size()), 0, caption, 0.0f,
                     longest > 0.0f ? longest * 1.1f : 1.0f,
                     ImVec2(Scaled(kKeysColumnAtStart), Scaled(kGraphHeightAtStart)));
}

PanelRequests BuildPanelWindow(Panel &panel, SimulationParameters &params, int wheel) {
    PanelRequests requests;
    ControlRects &controls = panel.controls;
    ImGui::SetNextWindowPos(ImVec2(Margin(), Margin()), ImGuiCond_FirstUseEver);
    ImGui::SetNextWindowBgAlpha(kBackgroundAlpha);
    // The wheel steps sliders rather than scrolling the window; the preset
    // list scrolls as ever.
    const ImGuiWindowFlags flags = ImGuiWindowFlags_NoFocusOnAppearing | ImGuiWindowFlags_NoNav |
                                   ImGuiWindowFlags_NoScrollWithMouse |
                                   (panel.live ? ImGuiWindowFlags_None : ImGuiWindowFlags_NoSavedSettings);
    if (ImGui::Begin("Nimbrel panel", nullptr, flags)) {
        for (const TunedValue &row : kTunedValues) {
            if (!row.slider) continue;
            ValueRow(panel, row, params, wheel);
            if (row.number == &SimulationParameters::spinAngle) {
                ImGui::SameLine(Scaled(kKeysColumnAtStart + 90.0f));
                ZeroButton("zero spin", params.spinAngle, controls);
            }
        }
        DragAngles(params, controls);
        ImGui::Checkbox("fade-out  C", &params.fadeOut);
        controls.Remember("fade-out");
        ImGui::SameLine(Scaled(kLabelWidthAtStart + kSliderWidthAtStart * 0.5f));
        ImGui::Checkbox("fade-in  M (wins over fade-out)", &params.fadeIn);
        controls.Remember("fade-in");
        // Wrapped inside the panel, however narrow it is dragged.
        ImGui::PushStyleColor(ImGuiCol_Text, ImGui::GetStyleColorVec4(ImGuiCol_TextDisabled));
        ImGui::TextWrapped("Ctrl+click or double-click a slider to type its value; the wheel steps it");
        ImGui::PopStyleColor();
        if (ImGui::Button("Screenshot  Tab")) requests.screenshot = true;
        controls.Remember("Screenshot");
        ImGui::SameLine();
        if (ImGui::Button("Start values")) params = SimulationParameters{};
        controls.Remember("Start values");
        ImGui::SameLine();
        if (ImGui::Button("Save recording  F9")) requests.saveRecording = true;
        controls.Remember("Save recording");
        ImGui::Separator();
        PresetControls(panel.presets, panel.outcome, params, panel.live, Scaled(kLabelWidthAtStart),
                       Scaled(kSliderWidthAtStart), controls);
        ImGui::Separator();
        Timings(panel);
    }
    panel.itemActive = ImGui::IsAnyItemActive();
    const ImVec2 position = ImGui::GetWindowPos(), size = ImGui::GetWindowSize();
    SetPanelRect(panel.input, static_cast<int>(position.x), static_cast<int>(position.y), static_cast<int>(size.x),
                 static_cast<int>(size.y));
    ImGui::End();
    return requests;
}

PanelRequests Build(Panel &panel, SimulationParameters &params, bool shown, bool interactive) {
    ImGuiIO &io = ImGui::GetIO();
    io.DisplaySize = ImVec2(static_cast<float>(panel.width), static_cast<float>(panel.height));
    const int wheel = FeedPanelFrame(panel.input, interactive);
    ImGui_ImplOpenGL2_NewFrame();
    ImGui::NewFrame();
    PanelRequests requests;
    if (shown) {
        requests = BuildPanelWindow(panel, params, wheel);
    } else {
        panel.itemActive = false;
        SetPanelRect(panel.input, 0, 0, 0, 0);  // nothing to press on
    }
    if (panel.live) BuildNotices(panel.outcome.notices, panel.width, panel.height);
    if (interactive) SetPanelTyping(panel.input, io.WantTextInput);
    ImGui::Render();
    return requests;
}

// The dark bands behind the glyphs of what was built: every triangle that
// samples the font atlas (any texture coordinate but its white pixel) is
// text, and a band covering it, a little larger and within its clip
// rectangle, is drawn before the panel itself.
void DrawTextBackdrops(const ImDrawData &data) {
    const ImVec2 white = ImGui::GetIO().Fonts->TexUvWhitePixel;
    const float reach = Scaled(kBackdropReachAtStart);
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_TRANSFORM_BIT);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(data.DisplayPos.x, data.DisplayPos.x + data.DisplaySize.x, data.DisplayPos.y + data.DisplaySize.y,
            data.DisplayPos.y, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glColor4f(0.0f, 0.0f, 0.0f, kBackdropAlpha);
    glBegin(GL_QUADS);
    for (int n = 0; n < data.CmdListsCount; ++n) {
        const ImDrawList &list = *data.CmdLists[n];
        for (const ImDrawCmd &command : list.CmdBuffer) {
            if (command.UserCallback) continue;
            const ImVec4 clip = command.ClipRect;
            ImVec4 last(0.0f, 0.0f, -1.0f, -1.0f);
            for (unsigned i = 0; i + 2 < command.ElemCount; i += 3) {
                float x0 = 1e30f, y0 = 1e30f, x1 = -1e30f, y1 = -1e30f;
                bool glyph = false;
                for (unsigned k = 0; k < 3; ++k) {
                    const ImDrawVert &v =
                        list.VtxBuffer[static_cast<int>(command.VtxOffset + list.IdxBuffer[static_cast<int>(command.IdxOffset + i + k)])];
                    glyph = glyph || v.uv.x != white.x || v.uv.y != white.y;
                    x0 = std::min(x0, v.pos.x);
                    y0 = std::min(y0, v.pos.y);
                    x1 = std::max(x1, v.pos.x);
                    y1 = std::max(y1, v.pos.y);
                }
                if (!glyph) continue;
                x0 = std::max(x0 - reach, clip.x);
                y0 = std::max(y0 - reach, clip.y);
                x1 = std::min(x1 + reach, clip.z);
                y1 = std::min(y1 + reach, clip.w);
                // A glyph's two triangles share one band.
                if (x0 >= x1 || y0 >= y1 || (x0 == last.x && y0 == last.y && x1 == last.z && y1 == last.w)) continue;
                last = ImVec4(x0, y0, x1, y1);
                glVertex2f(x0, y0);
                glVertex2f(x1, y0);
                glVertex2f(x1, y1);
                glVertex2f(x0, y1);
            }
        }
    }
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}

}  // namespace

void PanelFrameStarts(Panel &panel, bool shown) {
    if (shown)
        panel.timer.FrameStarts(FrameTimer::Clock::now(), panel.simulationMs, panel.workMs);
    else
        panel.timer.Forget();
}

bool PanelDrawsOver(const Panel &panel, bool shown) { return shown || (panel.live && panel.outcome.notices.Any()); }

PanelRequests DrawPanel(Panel &panel, SimulationParameters &params, bool shown, std::uint32_t now) {
    Notices &notices = panel.outcome.notices;
    if (panel.live) notices.Age(now);
    if (!shown && !(panel.live && notices.Any())) {
        panel.built = false;
        return {};
    }
    if (!panel.ready) Start(panel);
    int width = 0, height = 0;
    FrameSize(width, height);
    const bool sameDrawable = width == panel.width && height == panel.height;
    panel.width = width;
    panel.height = height;

    const bool timingsChanged = panel.timer.TakeChanged();
    const PanelInput &input = panel.input;
    const bool worked = shown && (input.buttonHeld || panel.itemActive || input.typing || panel.edit.row >= 0 ||
                                  PointerOverPanel(input));
    const bool unchanged = panel.built && sameDrawable && !timingsChanged && panel.builtShown == shown &&
                           panel.builtNotices == notices.changes && (!shown || params == panel.shown);
    PanelRequests requests;
    if (worked) {
        // Hovered or worked: built every frame, with the mouse.
        panel.lines = PanelLines(params, TimingsShown(panel));
        requests = Build(panel, params, shown, true);
    } else if (!unchanged) {
        panel.shown = params;
        panel.lines = PanelLines(params, TimingsShown(panel));
        // A new window takes its size from the frame before, and shows
        // from the second: built twice when the panel first opens or a
        // notice comes, so that it shows at once, fitting what it holds.
        if ((!panel.built && panel.input.width == 0) || panel.builtNotices != notices.changes)
            Build(panel, params, shown, false);
        Build(panel, params, shown, false);
    }
    // ImGui's renderer saves and restores the state it changes: matrices
    // and matrix mode, viewport, enables, blend function, bound texture,
    // texture environment and client arrays. Its draw data stays as built
    // until the next build.
    DrawTextBackdrops(*ImGui::GetDrawData());
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    panel.built = !worked;
    panel.builtShown = shown;
    panel.builtNotices = notices.changes;
    if (panel.live && ImGui::GetIO().WantSaveIniSettings) {
        ImGui::GetIO().WantSaveIniSettings = false;
        SavePanelPlace(panel.place);
    }
    return requests;
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
    if (panel.live) SavePanelPlace(panel.place);
    ImGui_ImplOpenGL2_Shutdown();
    ImGui::DestroyContext();
    ResetPanelInput(panel.input);
    const bool live = panel.live;
    panel = Panel{};
    panel.live = live;
}
