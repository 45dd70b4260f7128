// The window event handler: size, close, key flags and the mouse drag.
#include "app/window_handler.h"

#include "io/keys.h"
#include "render/graphics.h"

namespace {

void PostQuit(MessageQueue &messages, std::uint32_t code) { messages.Post({MessageKind::Quit, code}); }


// Turns the view: one degree per pixel, against the drag direction.
void Turn(float &angle, int delta) {
    angle = static_cast<float>(static_cast<double>(angle) -
                               static_cast<double>(static_cast<float>(delta)));
}

}  // namespace

bool HandleWindowMessage(App &app, const WindowMessage &message) {
    const MessageUse use = PanelTakesMessage(app.panel, app.panelShown, message);
    if (use != MessageUse::Handler) return use == MessageUse::Taken;
    InputState &input = app.input;
    // Smoke on the desktop is to look at: keys, the mouse and typing pass by.
    if (app.lookOnly && message.kind != MessageKind::Size && message.kind != MessageKind::Close &&
        message.kind != MessageKind::Destroy && message.kind != MessageKind::Quit)
        return false;
    switch (message.kind) {
    case MessageKind::Size:
        ResizeGraphics(SizeWidth(message.param), SizeHeight(message.param));
        app.view = {SizeWidth(message.param), SizeHeight(message.param), true};
        break;
    case MessageKind::Close:
        // Quit, then everything a destroy does: quit is posted twice. The
        // window itself goes away with the process.
        PostQuit(app.messages, 0);
        PostQuit(app.messages, 0);
        break;
    case MessageKind::Destroy:
        PostQuit(app.messages, 0);
        break;
    case MessageKind::KeyDown:
        if (message.param < input.keyDown.size()) {
            input.keyDown[message.param] = true;
            input.keyPending = true;
        }
        break;
    case MessageKind::KeyRepeat:
        // A repeat of a key whose press still waits merges into it.
        if (message.param < input.keyDown.size() && message.param != kKeyF3 &&
            message.param != kKeyF11 && message.param != kKeyF9) {
            input.keyDown[message.param] = true;
            input.keyPending = true;
        }
        return false;
    case MessageKind::KeyUp:
        // The key's press, if it still waits, acts all the same.
        return false;
    case MessageKind::Text:  // for a text field of the panel, which takes it first
        return false;
    case MessageKind::Wheel:  // for the panel, under the pointer; the smoke takes none
        return false;
    case MessageKind::MouseMove:
        input.mouseX = PositionX(message.param);
        input.mouseY = PositionY(message.param);
        if (input.dragging) {
            Turn(app.params.yawAngle, input.mouseX - input.previousX);
            Turn(app.params.pitchAngle, input.mouseY - input.previousY);
        }
        input.previousX = input.mouseX;
        input.previousY = input.mouseY;
        break;
    case MessageKind::LeftButtonDown:
        input.mouseX = input.previousX = PositionX(message.param);
        input.mouseY = input.previousY = PositionY(message.param);
        input.dragging = true;
        break;
    case MessageKind::LeftButtonUp:
        input.dragging = false;
        break;
    case MessageKind::None:
    case MessageKind::Quit:
    case MessageKind::Other:
        break;
    }
    return true;
}
