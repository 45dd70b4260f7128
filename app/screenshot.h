// Saving the frame as a picture: the screenshot of Tab. Tab asks for it;
// the next frame, once drawn and before its swap, is read back and saved,
// so the picture is exactly the frame the user then sees. (After a swap
// the back buffer's contents are undefined.)
#pragma once

// The file Tab writes in the working directory, and its size: the whole
// drawable.
constexpr const char *kScreenshotFile = "screenshot0.ppm";

// Reads back width x height pixels from the lower-left corner of the
// frame and writes them to `path` as a binary PPM (see image/ppm_writer.h),
// printing the writer's line on the standard output. False when nothing
// was written.
bool SaveScreenshot(const char *path, int width, int height);

// What saves a screenshot: SaveScreenshot, or a test's stand-in.
using ScreenshotWriter = bool (*)(const char *path, int width, int height);
