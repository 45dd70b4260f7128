// Saving a picture as a PNG file.
#pragma once

#include <cstddef>
#include <string>

#include "io/replacement_file.h"

// Writes width x height pixels of tightly packed red, green and blue bytes,
// rows from the top of the picture down, to `path` as an 8-bit RGB PNG. `level` is zlib's compression
// level, 0 to 9; 1 is fast, and smoke over black still packs to
// a tenth of its raw size. The file is
// replaced all or nothing (see replacement_file.h), synced to the disk
// unless `durability` says it can be made again. With `alpha` the pixels
// are red, green, blue and alpha, and so is the file. On failure returns
// false and says why in `error`, naming the path.
bool WritePng(const std::string &path, const unsigned char *rgb, int width, int height, int level,
              std::string &error, Durability durability = Durability::Synced, bool alpha = false);

// Gives the RGB pixels an alpha channel in place, `rgb` holding room for
// 4 x count bytes: each pixel's alpha is its brightest channel and its
// colour is divided by it (straight, not premultiplied), so that, laid over
// black, it gives the RGB pixel again within one level; black is clear.
void AddAlphaFromBrightness(unsigned char *rgb, std::size_t count);
