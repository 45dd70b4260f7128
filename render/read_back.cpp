#include "render/read_back.h"

#include <algorithm>
#include <cstddef>

#include "render/gl.h"

bool ReadBackRgb(int width, int height, unsigned char *rgb) {
    if (width <= 0 || height <= 0) return width == 0 || height == 0;
    while (glGetError() != GL_NO_ERROR) {}  // earlier errors are not this one's
    glPixelStorei(GL_PACK_ALIGNMENT, 1);    // packed rows, whatever the width
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    if (glGetError() != GL_NO_ERROR) return false;

    // The GL counts rows from the bottom; turn them over in place.
    const std::size_t stride = std::size_t{3} * static_cast<std::size_t>(width);
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(rgb + static_cast<std::size_t>(top) * stride,
                         rgb + static_cast<std::size_t>(top + 1) * stride,
                         rgb + static_cast<std::size_t>(bottom) * stride);
    return true;
}
