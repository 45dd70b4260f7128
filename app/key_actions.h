// The key-action dispatch: the loop's pending key, acted on through the
// controls table (values/key_table.h).
#pragma once

#include "app/app.h"

// Acts on the first row, in table order, whose key has its down flag set:
// clears that flag and runs its action (Tab's asks for a screenshot of the
// next frame); with no such row, F3's flag (the panel shown or hidden),
// then F11's (full screen), then F9's (the session kept as a recording,
// values/recorder.h). At most one action runs per call; keyPending stays set
// only while another listed key's press still waits.
void ApplyPendingKey(App &app);

// F9 and the panel's Save recording: the session so far kept in the
// recordings folder; the outcome is told when the recorder has it.
void KeepSessionNow(App &app);
