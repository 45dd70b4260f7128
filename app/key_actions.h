// The key-action dispatch: the loop's pending key, acted on through the
// controls table (app/key_table.h).
#pragma once

#include "app/key_table.h"

extern bool gReadoutShown;  // hidden at start

// Acts on the first row, in table order, whose key has its down flag set:
// clears that flag and runs its action (Tab's asks for a screenshot of the
// next frame); with no such row, F3's flag, then F11's, then F9's (the
// session kept as a recording, app/recorder.h). At most one action
// runs per call; keyPending stays set only while another listed key's
// press still waits.
void ApplyPendingKey();
