// The key-action dispatch: the loop's pending key, acted on through the
// controls table (app/key_table.h).
#pragma once

#include "app/key_table.h"

extern bool gReadoutShown;  // hidden at start

// Acts on the first row, in table order, whose key has its down flag set:
// clears that flag and runs its action; with no such row, F3's flag. Always
// clears keyPending, so at most one action runs per call.
void ApplyPendingKey();

// What the screenshot row calls; tests replace it. nullptr restores
// SaveScreenshot.
using ScreenshotWriter = bool (*)(const char *path, int width, int height);
void SetScreenshotWriter(ScreenshotWriter writer);
