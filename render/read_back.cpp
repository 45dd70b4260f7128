// The frame read back from the GL, rows top-down.
#include "render/read_back.h"

#include <cstddef>
#include <cstring>
#include <vector>

#include "render/gl.h"

bool ReadBackRgb(int width, int height, unsigned char *rgb) {
    if (width <= 0 || height <= 0) return width == 0 || height == 0;
    while (glGetError() != GL_NO_ERROR) {}  // earlier errors are not this one's
    glPixelStorei(GL_PACK_ALIGNMENT, 1);    // packed rows, whatever the width
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    glReadPixels(viewport[0], viewport[1], width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    if (glGetError() != GL_NO_ERROR) return false;

    // The GL counts rows from the bottom; turn them over in place, a whole
    // row at a time.
    const std::size_t stride = std::size_t{3} * static_cast<std::size_t>(width);
    std::vector<unsigned char> spare(stride);
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        unsigned char *upper = rgb + static_cast<std::size_t>(top) * stride;
        unsigned char *lower = rgb + static_cast<std::size_t>(bottom) * stride;
        std::memcpy(spare.data(), upper, stride);
        std::memcpy(upper, lower, stride);
        std::memcpy(lower, spare.data(), stride);
    }
    return true;
}

void FrameSize(int &width, int &height) {
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    width = viewport[2];
    height = viewport[3];
}
