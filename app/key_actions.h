// The key actions: what each key of the controls does when its key-down
// is acted on.
#pragma once

// Acts on the first key, in the controls' fixed order, whose down flag is
// set: clears that flag and runs its action. Always clears keyPending, so
// at most one action runs per call.
void ApplyPendingKey();
