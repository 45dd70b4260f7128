// The panel's input: the mouse, and the keys while a text field has them.
#include "panel/panel_input.h"

#include <imgui.h>

#include <algorithm>
#include <array>
#include <cfloat>
#include <chrono>

#include "io/keys.h"
#include "platform/sdl_platform.h"

namespace {

using Clock = std::chrono::steady_clock;

// The keys a text field uses.
struct FieldKey {
    KeyCode code;
    ImGuiKey key;
};
constexpr FieldKey kFieldKeys[] = {
    {kKeyBackspace, ImGuiKey_Backspace}, {kKeyTab, ImGuiKey_Tab},   {kKeyReturn, ImGuiKey_Enter},
    {kKeyEscape, ImGuiKey_Escape},       {kKeyEnd, ImGuiKey_End},   {kKeyHome, ImGuiKey_Home},
    {kKeyLeft, ImGuiKey_LeftArrow},      {kKeyRight, ImGuiKey_RightArrow}, {kKeyDelete, ImGuiKey_Delete},
};

bool IsFieldKey(std::uint32_t code) {
    for (const FieldKey &field : kFieldKeys)
        if (field.code == code) return true;
    return false;
}

// Ctrl with A selects the whole field.
constexpr FieldKey kSelectAll = {'A', ImGuiKey_A};

bool IsSelectAll(const PanelInput &input, std::uint32_t code) { return input.ctrlHeld && code == kSelectAll.code; }

void FeedFieldKey(PanelInput &input, const FieldKey &field, bool down) {
#if IMGUI_VERSION_NUM >= 18700
    ImGui::GetIO().AddKeyEvent(field.key, down);
#else
    if (!input.keyMapSet) {
        for (const FieldKey &mapped : kFieldKeys) ImGui::GetIO().KeyMap[mapped.key] = static_cast<int>(mapped.code);
        ImGui::GetIO().KeyMap[kSelectAll.key] = static_cast<int>(kSelectAll.code);
        input.keyMapSet = true;
    }
    ImGui::GetIO().KeysDown[field.code] = down;  // KeyMap maps the key to its code
#endif
    input.keyHeld[field.code] = down;
}

void FeedKey(PanelInput &input, std::uint32_t code, bool down) {
    for (const FieldKey &field : kFieldKeys)
        if (field.code == code) FeedFieldKey(input, field, down);
    if (code == kSelectAll.code && (input.keyHeld[code] || (down && input.ctrlHeld)))
        FeedFieldKey(input, kSelectAll, down);
}

// Ctrl as ImGui sees it, from the panel's own record of the key.
void FeedCtrl(bool down) {
#if IMGUI_VERSION_NUM >= 18900
    ImGui::GetIO().AddKeyEvent(ImGuiMod_Ctrl, down);
#elif IMGUI_VERSION_NUM >= 18700
    ImGui::GetIO().AddKeyEvent(ImGuiKey_ModCtrl, down);
#else
    ImGui::GetIO().KeyCtrl = down;
#endif
}

void ReleaseKeys(PanelInput &input) {
    for (std::uint32_t code = 0; code < input.keyHeld.size(); ++code)
        if (input.keyHeld[code]) FeedKey(input, code, false);
}

MessageUse Typed(PanelInput &input, const WindowMessage &message) {
    switch (message.kind) {
    case MessageKind::KeyDown:
        // A key the field uses (Return, Backspace, the arrows) gets a frame
        // of its own: the field sees it pressed before what follows it,
        // and a key-up in the same frame cannot hide it.
        if (!IsFieldKey(message.param) && !IsSelectAll(input, message.param)) return MessageUse::Typed;
        FeedKey(input, message.param, true);
        return MessageUse::Taken;
    case MessageKind::KeyRepeat:  // the field repeats held keys itself
        return MessageUse::Typed;
    case MessageKind::KeyUp:
        FeedKey(input, message.param, false);
        return MessageUse::Typed;
    case MessageKind::Text:
        ImGui::GetIO().AddInputCharacter(message.param);
        return MessageUse::Typed;
    default:
        return MessageUse::Handler;
    }
}

}  // namespace

MessageUse PanelInputTakes(PanelInput &input, const WindowMessage &message) {
    // Ctrl is followed, typing or not; it is no control of the smoke's.
    if ((message.kind == MessageKind::KeyDown || message.kind == MessageKind::KeyUp) && message.param == kKeyControl)
        input.ctrlHeld = message.kind == MessageKind::KeyDown;
    if (input.typing) {
        const MessageUse use = Typed(input, message);
        if (use != MessageUse::Handler) return use;
    }
    // A key the panel holds since a field had the keyboard.
    if (message.kind == MessageKind::KeyUp && message.param < input.keyHeld.size() && input.keyHeld[message.param])
        FeedKey(input, message.param, false);
    const int x = PositionX(message.param), y = PositionY(message.param);
    switch (message.kind) {
    case MessageKind::MouseMove:
        input.pointerKnown = true;
        input.pointerX = x;
        input.pointerY = y;
        return MessageUse::Handler;  // the handler still follows it, and turns the view on a drag
    case MessageKind::LeftButtonDown:
        input.pointerKnown = true;
        input.pointerX = x;
        input.pointerY = y;
        input.buttonHeld = PointerOverPanel(input);
        return input.buttonHeld ? MessageUse::Taken : MessageUse::Handler;
    case MessageKind::LeftButtonUp:
        if (!input.buttonHeld) return MessageUse::Handler;
        input.buttonHeld = false;
        return MessageUse::Taken;
    case MessageKind::Wheel:
        if (!PointerOverPanel(input)) return MessageUse::Handler;
        input.wheel += static_cast<std::int32_t>(message.param);
        return MessageUse::Typed;  // turned notches share a frame
    default:
        return MessageUse::Handler;
    }
}

void PanelHidden(PanelInput &input) {
    if (ImGui::GetCurrentContext()) ReleaseKeys(input);
    input.buttonHeld = false;
    input.wheel = 0;
    input.ctrlHeld = false;
    if (input.typing) SetTextInput(false);
    input.typing = false;
}

int FeedPanelFrame(PanelInput &input, bool interactive) {
    ImGuiIO &io = ImGui::GetIO();
    const Clock::time_point now = Clock::now();
    // ImGui times key repeat, double clicks and the cursor's blink by it.
    const double seconds = input.haveLastFrame ? std::chrono::duration<double>(now - input.lastFrame).count() : 1.0 / 60.0;
    io.DeltaTime = static_cast<float>(std::max(seconds, 1e-4));
    input.haveLastFrame = true;
    input.lastFrame = now;

    const bool known = interactive && input.pointerKnown;
    const ImVec2 position = known ? ImVec2(static_cast<float>(input.pointerX), static_cast<float>(input.pointerY))
                                  : ImVec2(-FLT_MAX, -FLT_MAX);
    const bool down = interactive && input.buttonHeld;
    const int wheel = interactive ? input.wheel : 0;
    input.wheel = 0;
    FeedCtrl(interactive && input.ctrlHeld);
#if IMGUI_VERSION_NUM >= 18700
    io.AddMousePosEvent(position.x, position.y);
    io.AddMouseButtonEvent(0, down);
    if (wheel != 0) io.AddMouseWheelEvent(0.0f, static_cast<float>(wheel));
#else
    io.MousePos = position;
    io.MouseDown[0] = down;
    io.MouseWheel = static_cast<float>(wheel);
#endif
    return wheel;
}

void SetPanelRect(PanelInput &input, int x, int y, int width, int height) {
    input.x = x;
    input.y = y;
    input.width = width;
    input.height = height;
}

void SetPanelTyping(PanelInput &input, bool typing) {
    if (typing != input.typing) SetTextInput(typing);
    input.typing = typing;
}

bool PointerOverPanel(const PanelInput &input) {
    const int x = input.pointerX - input.x, y = input.pointerY - input.y;
    return input.pointerKnown && input.width > 0 && x >= 0 && y >= 0 && x < input.width && y < input.height;
}

void ResetPanelInput(PanelInput &input) {
    if (input.typing) SetTextInput(false);
    input = PanelInput{};
}
