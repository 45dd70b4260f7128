#include "app/frame_loop.h"

#include "app/key_actions.h"
#include "app/window_handler.h"

namespace {

// The messages of one pass: a quit, close or destroy before anything else;
// otherwise waiting messages up to the first that needs a frame of its own.
// True when a message took the pass, so that no key acts in it; `message`
// is then the quit when one was taken.
bool TakeMessages(WindowMessage &message) {
    while (gMessages.TakeEnding(message)) {
        if (message.kind == MessageKind::Quit) return true;
        HandleWindowMessage(message);  // posts the quit
    }
    WindowMessage next;
    while (gMessages.Take(next))
        if (HandleWindowMessage(next)) return true;
    return false;
}

}  // namespace

int RunFrameLoop(EventPump pump, FrameRenderer renderFrame) {
    WindowMessage message;  // starts as no message, so the loop is entered
    while (message.kind != MessageKind::Quit) {
        pump(gMessages);
        if (!TakeMessages(message) && gInput.keyPending) ApplyPendingKey();
        renderFrame();
    }
    return static_cast<int>(message.param);
}
