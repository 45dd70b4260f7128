#include "image/ppm_writer.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "image/replacement_file.h"

namespace {

bool Warn(const char *format, const char *path) {
    std::printf(format, path);
    std::fflush(stdout);
    return false;
}

// Rows turned top-down, alpha dropped.
void PackRows(const unsigned char *rgba, int width, int height, unsigned char *out) {
    for (int j = 0; j < height; ++j) {
        const unsigned char *row = rgba + static_cast<std::size_t>(height - 1 - j) * width * 4;
        for (int k = 0; k < width; ++k, out += 3) {
            out[0] = row[4 * k];
            out[1] = row[4 * k + 1];
            out[2] = row[4 * k + 2];
        }
    }
}

}  // namespace

bool WritePpm(const char *path, const unsigned char *rgba, int width, int height) {
    if (width < 0 || height < 0) return Warn("Warning: cannot write %s: bad picture size\n", path);
    const std::uint64_t size = std::uint64_t{3} * static_cast<std::uint64_t>(width) *
                               static_cast<std::uint64_t>(height);
    if (size > 0x7FFFFFFFu) return Warn("Warning: cannot write %s: picture too large\n", path);

    unsigned char *pixels = static_cast<unsigned char *>(std::malloc(size ? size : 1));
    if (!pixels) return Warn("Warning: cannot write %s: out of memory\n", path);

    ReplacementFile file;
    if (!file.Open(path)) {
        std::free(pixels);
        return Warn("Warning: cannot open %s\n", path);
    }

    PackRows(rgba, width, height, pixels);
    bool written = std::fprintf(file.Stream(), "P6\n# CREATOR: glReadPixel()\n%d %d\n%d\n", width,
                                height, 255) > 0;
    written = written && std::fwrite(pixels, 1, size, file.Stream()) == size;
    std::free(pixels);
    if (!written || !file.Commit()) return Warn("Warning: cannot write %s\n", path);

    std::printf("wrote file (%d x %d pixels, %d bytes)\n", width, height, static_cast<int>(size));
    std::fflush(stdout);
    return true;
}
