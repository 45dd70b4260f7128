// Saving a picture as a binary PPM file.
#pragma once

// Writes `rgba` (width x height pixels of red, green, blue, alpha, rows
// from the bottom of the picture up) to `path` as a binary PPM, top row
// first and alpha dropped. Reports on the standard output. The file is
// written beside its final name and moved into place only when complete,
// so a failed write never leaves a damaged file or replaces a good one.
bool WritePpm(const char *path, const unsigned char *rgba, int width, int height);
