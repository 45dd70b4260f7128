// Saving a picture as a binary PPM file.
#pragma once

// Writes `rgba` (width x height pixels of red, green, blue, alpha, rows
// from the bottom of the picture up) to `path` as a binary PPM, top row
// first and alpha dropped. Reports on the standard output. The file is
// replaced all or nothing (see replacement_file.h): a target that cannot be
// opened for writing, such as a folder or a read-only file, is left as it
// is with "Warning: cannot open".
bool WritePpm(const char *path, const unsigned char *rgba, int width, int height);
