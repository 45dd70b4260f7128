// Saving a picture as a binary PPM file.
#pragma once

#include <string>

// What a write gives: whether the file was written, and the one line that
// says so ("wrote file (...)\n") or why not ("Warning: cannot open ...\n"),
// for the caller to show.
struct PpmOutcome {
    bool written = false;
    std::string line;
};

// Writes `rgb` (width x height pixels of red, green, blue, rows from the
// top of the picture down) to `path` as a binary PPM. A negative size is
// refused before the pixels are read. The file is replaced all or nothing
// (see replacement_file.h): a target that cannot be opened for writing,
// such as a folder or a read-only file, is left as it is with "Warning:
// cannot open".
PpmOutcome WritePpm(const char *path, const unsigned char *rgb, int width, int height);
