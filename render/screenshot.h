// Saving the current frame.
#pragma once

// Reads back width x height pixels from the lower-left corner of the
// frame and writes them to `path` as a binary PPM (see ppm_writer.h).
bool WriteScreenshot(const char *path, int width, int height);

// Reads back width x height pixels of the frame being drawn, from the
// lower-left corner, as tightly packed red, green and blue bytes, rows from
// the bottom up: 3 x width x height bytes into `rgb`.
void ReadBackRgb(int width, int height, unsigned char *rgb);
