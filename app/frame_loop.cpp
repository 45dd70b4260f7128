#include "app/frame_loop.h"

#include "app/key_actions.h"
#include "app/window_handler.h"

int RunFrameLoop(EventPump pump, FrameRenderer renderFrame) {
    WindowMessage message;  // starts as no message, so the loop is entered
    while (message.kind != MessageKind::Quit) {
        pump(gMessages);
        if (gMessages.Take(message))
            HandleWindowMessage(message);
        else if (gInput.keyPending)
            ApplyPendingKey();
        renderFrame();
    }
    return static_cast<int>(message.param);
}
