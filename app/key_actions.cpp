// The key dispatch: the first waiting control acts, in the controls' order.
#include "app/key_actions.h"

#include "platform/sdl_platform.h"
#include "values/tuned_values.h"

namespace {

void Act(const Control &control, App &app) {
    switch (control.action) {
    case ControlAction::StepUp:
    case ControlAction::StepDown:
    case ControlAction::Switch:
        PressKey(kTunedValues[static_cast<std::size_t>(control.row)], control.action != ControlAction::StepDown,
                 app.params);
        break;
    case ControlAction::Screenshot: app.screenshotRequested = true; break;
    case ControlAction::Panel: app.panelShown = !app.panelShown; break;
    case ControlAction::Fullscreen: SetFullscreen(!IsFullscreen()); break;
    case ControlAction::Record: KeepSessionNow(app); break;
    case ControlAction::None: break;
    }
}

}  // namespace

void KeepSessionNow(App &app) { app.recorder.Keep(); }

void ApplyPendingKey(App &app) {
    InputState &input = app.input;
    for (const KeyCode key : kControlOrder) {
        if (!input.keyDown[key]) continue;
        input.keyDown[key] = false;
        Act(ControlOf(key), app);
        break;
    }
    // A press that waits behind the one that acted keeps the dispatch
    // coming, so that it acts at the next pass free of messages.
    input.keyPending = false;
    for (const KeyCode key : kControlOrder) input.keyPending = input.keyPending || input.keyDown[key];
}
