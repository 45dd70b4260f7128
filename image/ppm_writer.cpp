// Binary PPM files, replaced all or nothing, with their progress line.
#include "image/ppm_writer.h"

#include <cstdint>
#include <cstdio>

#include "io/replacement_file.h"

namespace {

PpmOutcome Warn(const char *format, const char *path) {
    char line[512];
    std::snprintf(line, sizeof line, format, path);
    return {false, line};
}

}  // namespace

PpmOutcome WritePpm(const char *path, const unsigned char *rgb, int width, int height) {
    if (width < 0 || height < 0) return Warn("Warning: cannot write %s: bad picture size\n", path);
    const std::uint64_t size = std::uint64_t{3} * static_cast<std::uint64_t>(width) *
                               static_cast<std::uint64_t>(height);
    if (size > 0x7FFFFFFFu) return Warn("Warning: cannot write %s: picture too large\n", path);

    ReplacementFile file;
    if (!file.Open(path)) return Warn("Warning: cannot open %s\n", path);

    bool written = std::fprintf(file.Stream(), "P6\n# CREATOR: glReadPixel()\n%d %d\n%d\n", width,
                                height, 255) > 0;
    written = written && std::fwrite(rgb, 1, size, file.Stream()) == size;
    if (!written || !file.Commit()) return Warn("Warning: cannot write %s\n", path);

    char line[128];
    std::snprintf(line, sizeof line, "wrote file (%d x %d pixels, %d bytes)\n", width, height,
                  static_cast<int>(size));
    return {true, line};
}
