// Saving the frame as a picture: the screenshot of Tab. Tab asks for it;
// the next frame, once drawn and before its swap, is read back and saved,
// so the picture is exactly the frame the user then sees. (After a swap
// the back buffer's contents are undefined.)
#pragma once

// The file Tab writes in the working directory, and its size: the whole
// drawable.
constexpr const char *kScreenshotFile = "screenshot0.ppm";

// Asks for a screenshot of the next frame. Asking again while one is
// pending asks for the same one.
void RequestScreenshot();
bool ScreenshotPending();

// Saves the pending screenshot from the frame just drawn, before its swap,
// through the writer below; nothing when none is pending.
void SavePendingScreenshot();

// Reads back width x height pixels from the lower-left corner of the
// frame and writes them to `path` as a binary PPM (see image/ppm_writer.h),
// printing the writer's line on the standard output. False when nothing
// was written.
bool SaveScreenshot(const char *path, int width, int height);

// What SavePendingScreenshot calls; tests replace it. nullptr restores
// SaveScreenshot.
using ScreenshotWriter = bool (*)(const char *path, int width, int height);
void SetScreenshotWriter(ScreenshotWriter writer);
