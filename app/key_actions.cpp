#include "app/key_actions.h"

#include "app/outcome.h"
#include "app/recorder.h"
#include "app/screenshot.h"
#include "app/window_handler.h"
#include "platform/sdl_platform.h"
#include "sim/particles.h"

namespace {

void ChangeCount(const KeyAction &row) {
    const std::int32_t count = gParams.particleCount;
    std::int64_t next = count + static_cast<std::int64_t>(StepFor(row, count));
    // The pool holds kPoolSize particles; the count never claims more.
    if (next > kPoolSize) next = kPoolSize;
    SetParticleCount(static_cast<std::int32_t>(next));
}

void Apply(const KeyAction &row) {
    switch (row.operation) {
    case KeyOperation::Add:
    case KeyOperation::Subtract:
        if (row.countsParticles) {
            ChangeCount(row);
        } else {
            float &value = gParams.*row.value;
            value = static_cast<float>(static_cast<double>(value) + StepFor(row, value));
        }
        break;
    case KeyOperation::Toggle:
        gParams.*row.flag = !(gParams.*row.flag);
        break;
    case KeyOperation::Screenshot:
        RequestScreenshot();
        break;
    }
}

}  // namespace

bool gReadoutShown = false;

void ApplyPendingKey() {
    bool acted = false;
    for (const KeyAction &row : kKeyActions) {
        if (!gInput.keyDown[row.key]) continue;
        gInput.keyDown[row.key] = false;
        Apply(row);
        acted = true;
        break;
    }
    if (!acted && gInput.keyDown[kReadoutKey]) {
        gInput.keyDown[kReadoutKey] = false;
        gReadoutShown = !gReadoutShown;
    } else if (!acted && gInput.keyDown[kFullscreenKey]) {
        gInput.keyDown[kFullscreenKey] = false;
        SetFullscreen(!IsFullscreen());
    } else if (!acted && gInput.keyDown[kRecordKey]) {
        gInput.keyDown[kRecordKey] = false;
        std::string message;
        SaveRecordingNow(message);
        TellOutcome(message);
    }
    // A press that waits behind the one that acted keeps the dispatch
    // coming, so that it acts at the next pass free of messages.
    gInput.keyPending = false;
    for (const KeyAction &row : kKeyActions) gInput.keyPending = gInput.keyPending || gInput.keyDown[row.key];
    for (const std::uint8_t key : {kReadoutKey, kFullscreenKey, kRecordKey})
        gInput.keyPending = gInput.keyPending || gInput.keyDown[key];
}

