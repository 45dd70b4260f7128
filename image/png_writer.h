// Saving a picture as a PNG file.
#pragma once

#include <string>

#include "io/replacement_file.h"

// Writes width x height pixels of tightly packed red, green and blue bytes,
// rows from the top of the picture down, to `path` as an 8-bit RGB PNG. `level` is zlib's compression
// level, 0 to 9; 1 is fast, and smoke over black still packs to
// a tenth of its raw size. The file is
// replaced all or nothing (see replacement_file.h), synced to the disk
// unless `durability` says it can be made again. On failure returns false
// and says why in `error`, naming the path.
bool WritePng(const std::string &path, const unsigned char *rgb, int width, int height, int level,
              std::string &error, Durability durability = Durability::Synced);
