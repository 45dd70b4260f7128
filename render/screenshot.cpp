#include "render/screenshot.h"

#include <cstdio>
#include <cstdlib>

#include "render/gl.h"
#include "image/ppm_writer.h"

bool WriteScreenshot(const char *path, int width, int height) {
    if (width < 0 || height < 0) {
        std::printf("Warning: cannot write %s: bad picture size\n", path);
        return false;
    }
    const std::size_t bytes = std::size_t{4} * static_cast<std::size_t>(width) *
                              static_cast<std::size_t>(height);
    unsigned char *rgba = static_cast<unsigned char *>(std::malloc(bytes ? bytes : 1));
    if (!rgba) {
        std::printf("Warning: cannot write %s: out of memory\n", path);
        return false;
    }
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 4);  // four-byte pixels: rows are always aligned
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    const bool written = WritePpm(path, rgba, width, height);
    std::free(rgba);
    return written;
}

void ReadBackRgb(int width, int height, unsigned char *rgb) {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);  // packed rows, whatever the width
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb);
}
