// Saving the current frame.
#pragma once

// Reads back width x height pixels from the lower-left corner of the
// frame and writes them to `path` as a binary PPM (see ppm_writer.h).
bool WriteScreenshot(const char *path, int width, int height);
