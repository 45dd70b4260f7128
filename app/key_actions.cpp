#include "app/key_actions.h"

#include "values/key_table.h"
#include "platform/sdl_platform.h"
#include "sim/particles.h"

namespace {

void ChangeCount(const KeyAction &row, SimulationParameters &params) {
    const std::int32_t count = params.particleCount;
    std::int64_t next = count + static_cast<std::int64_t>(StepFor(row, count));
    // The pool holds kPoolSize particles; the count never claims more.
    if (next > kPoolSize) next = kPoolSize;
    SetParticleCount(params, static_cast<std::int32_t>(next));
}

void Apply(const KeyAction &row, App &app) {
    SimulationParameters &params = app.params;
    switch (row.operation) {
    case KeyOperation::Add:
    case KeyOperation::Subtract:
        if (row.countsParticles) {
            ChangeCount(row, params);
        } else {
            float &value = params.*row.value;
            value = static_cast<float>(static_cast<double>(value) + StepFor(row, value));
        }
        break;
    case KeyOperation::Toggle:
        params.*row.flag = !(params.*row.flag);
        break;
    case KeyOperation::Screenshot:
        app.screenshotRequested = true;
        break;
    }
}

}  // namespace

void KeepSessionNow(App &app) {
    std::string message;
    SaveRecordingNow(app.recorder.Session(), message);
    app.panel.outcome.Tell(message);
}

void ApplyPendingKey(App &app) {
    InputState &input = app.input;
    bool acted = false;
    for (const KeyAction &row : kKeyActions) {
        if (!input.keyDown[row.key]) continue;
        input.keyDown[row.key] = false;
        Apply(row, app);
        acted = true;
        break;
    }
    if (!acted && input.keyDown[kReadoutKey]) {
        input.keyDown[kReadoutKey] = false;
        app.panelShown = !app.panelShown;
    } else if (!acted && input.keyDown[kFullscreenKey]) {
        input.keyDown[kFullscreenKey] = false;
        SetFullscreen(!IsFullscreen());
    } else if (!acted && input.keyDown[kRecordKey]) {
        input.keyDown[kRecordKey] = false;
        KeepSessionNow(app);
    }
    // A press that waits behind the one that acted keeps the dispatch
    // coming, so that it acts at the next pass free of messages.
    input.keyPending = false;
    for (const KeyAction &row : kKeyActions) input.keyPending = input.keyPending || input.keyDown[row.key];
    for (const std::uint8_t key : {kReadoutKey, kFullscreenKey, kRecordKey})
        input.keyPending = input.keyPending || input.keyDown[key];
}

