// Saving the frame as a picture: the screenshot of Tab. Tab asks for it;
// the next frame, once drawn and before its swap, is read back and saved,
// so the picture is exactly the frame the user then sees. (After a swap
// the back buffer's contents are undefined.)
#pragma once

// The file Tab writes in the working directory; it holds the whole
// drawable, whatever its size, and only the smoke.
constexpr const char *kScreenshotFile = "screenshot0.ppm";

#include <cstdint>
#include <string>

// What a screenshot came to: whether it was written, and a short notice
// for the screen naming the file and where it went, or why not.
struct ScreenshotOutcome {
    bool written = false;
    std::string notice;
};

// Writes width x height pixels of the frame to `path` as a binary PPM (see
// image/ppm_writer.h), printing the writer's line on the standard output:
// those of `rgba` (4 bytes a pixel, rows top-down) when the CPU drew the
// frame, else those read back from the lower-left corner of the GL's.
ScreenshotOutcome SaveScreenshot(const char *path, int width, int height, const std::uint8_t *rgba);

// What saves a screenshot: SaveScreenshot, or a test's stand-in.
using ScreenshotWriter = ScreenshotOutcome (*)(const char *path, int width, int height, const std::uint8_t *rgba);
