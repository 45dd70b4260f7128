// The frame loop: messages, a pending key, then a frame, every pass.
#include "app/frame_loop.h"

#include "app/key_actions.h"
#include "app/window_handler.h"

namespace {

// A fresh press of a key whose last press still waits for the dispatch:
// taken now, the two would merge into one action.
bool PressesAgain(const App &app, const WindowMessage &message) {
    return message.kind == MessageKind::KeyDown && message.param < app.input.keyDown.size() &&
           app.input.keyDown[message.param] && app.input.keyPending;
}

// The messages of one pass: a quit, close or destroy before anything else;
// otherwise waiting messages up to the first that needs a frame of its own,
// or up to a second press of a key whose first still waits, which is left
// for a later pass so that the first acts in this one. True when a message
// took the pass, so that no key acts in it; `message` is then the quit when
// one was taken.
bool TakeMessages(App &app, WindowMessage &message) {
    while (app.messages.TakeEnding(message)) {
        if (message.kind == MessageKind::Quit) return true;
        HandleWindowMessage(app, message);  // posts the quit
    }
    WindowMessage next;
    while (app.messages.Peek(next) && !PressesAgain(app, next)) {
        app.messages.Take(next);
        if (HandleWindowMessage(app, next)) return true;
    }
    return false;
}

}  // namespace

int RunFrameLoop(App &app, EventPump pump, MillisecondClock clock, FrameRenderer renderFrame,
                 const FramePacing &pacing) {
    WindowMessage message;  // starts as no message, so the loop is entered
    FrameSchedule schedule(pacing.intervalMs);
    while (message.kind != MessageKind::Quit) {
        pump(app.messages);
        const bool took = TakeMessages(app, message);
        if (!pacing.wait) {
            if (!took && app.input.keyPending) ApplyPendingKey(app);
            renderFrame(app, clock());
            continue;
        }
        const std::uint32_t now = clock();
        const bool seen = !pacing.seen || pacing.seen(now);
        // The panel sees the mouse once a frame: a press, a move and a
        // release over it each need a frame of their own, as ever.
        const bool draw = seen && (message.kind == MessageKind::Quit || (took && app.panelShown) || schedule.Due(now));
        // A key acts in the pass of the frame that shows it, one a frame
        // as ever; its press was taken at once.
        if (!took && app.input.keyPending && draw) ApplyPendingKey(app);
        if (draw) {
            renderFrame(app, now);
            schedule.Drawn(now);
        } else if (app.messages.Empty()) {
            pacing.wait(seen ? schedule.MsUntilDue(now) : kUnseenWaitMs);
        }
    }
    return static_cast<int>(message.param);
}
