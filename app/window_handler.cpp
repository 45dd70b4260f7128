#include "app/window_handler.h"

#include "app/key_table.h"
#include "render/graphics.h"
#include "sim/parameters.h"

MessageQueue gMessages;
InputState gInput;

namespace {

void PostQuit(std::uint32_t code) { gMessages.Post({MessageKind::Quit, code}); }

int Low16(std::uint32_t param) { return static_cast<int>(param & 0xFFFFu); }
int High16(std::uint32_t param) { return static_cast<int>(param >> 16); }

// Turns the view: one degree per pixel, against the drag direction.
void Turn(float &angle, int delta) {
    angle = static_cast<float>(static_cast<double>(angle) -
                               static_cast<double>(static_cast<float>(delta)));
}

}  // namespace

namespace {
MessageFilter filter = nullptr;
}  // namespace

void SetMessageFilter(MessageFilter newFilter) { filter = newFilter; }

bool HandleWindowMessage(const WindowMessage &message) {
    if (filter) {
        const MessageUse use = filter(message);
        if (use != MessageUse::Handler) return use == MessageUse::Taken;
    }
    switch (message.kind) {
    case MessageKind::Size:
        ResizeGraphics(Low16(message.param), High16(message.param));
        break;
    case MessageKind::Close:
        // Quit, then everything a destroy does: quit is posted twice. The
        // window itself goes away with the process.
        PostQuit(0);
        PostQuit(0);
        break;
    case MessageKind::Destroy:
        PostQuit(0);
        break;
    case MessageKind::KeyDown:
        if (message.param < gInput.keyDown.size()) {
            gInput.keyDown[message.param] = true;
            gInput.keyPending = true;
        }
        break;
    case MessageKind::KeyRepeat:
        // A repeat of a key whose press still waits merges into it.
        if (message.param < gInput.keyDown.size() && message.param != kReadoutKey &&
            message.param != kFullscreenKey && message.param != kRecordKey) {
            gInput.keyDown[message.param] = true;
            gInput.keyPending = true;
        }
        return false;
    case MessageKind::KeyUp:
        // The key's press, if it still waits, acts all the same.
        return false;
    case MessageKind::Text:  // for a text field of the panel, which takes it first
        return false;
    case MessageKind::MouseMove:
        gInput.mouseX = Low16(message.param);
        gInput.mouseY = High16(message.param);
        if (gInput.dragging) {
            Turn(gParams.yawAngle, gInput.mouseX - gInput.previousX);
            Turn(gParams.pitchAngle, gInput.mouseY - gInput.previousY);
        }
        gInput.previousX = gInput.mouseX;
        gInput.previousY = gInput.mouseY;
        break;
    case MessageKind::LeftButtonDown:
        gInput.mouseX = gInput.previousX = Low16(message.param);
        gInput.mouseY = gInput.previousY = High16(message.param);
        gInput.dragging = true;
        break;
    case MessageKind::LeftButtonUp:
        gInput.dragging = false;
        break;
    case MessageKind::None:
    case MessageKind::Quit:
    case MessageKind::Other:
        break;
    }
    return true;
}
