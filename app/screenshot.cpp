// Tab's screenshot: the frame read back and written as a PPM file.
#include "app/screenshot.h"

#include <cstddef>
#include <new>
#include <vector>

#include "io/user_message.h"
#include "image/ppm_writer.h"
#include "render/graphics.h"
#include "render/read_back.h"

bool SaveScreenshot(const char *path, int width, int height) {
    std::vector<unsigned char> rgb;
    // A negative size reads nothing: the writer refuses it with its line.
    if (width >= 0 && height >= 0) {
        try {
            rgb.resize(std::size_t{3} * static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        } catch (const std::bad_alloc &) {
            PrintOutputLine(std::string("Warning: cannot write ") + path + ": out of memory\n");
            return false;
        }
        if (!ReadBackRgb(width, height, rgb.data())) {
            PrintOutputLine(std::string("Warning: cannot write ") + path + ": the frame cannot be read back\n");
            return false;
        }
    }
    const PpmOutcome outcome = WritePpm(path, rgb.data(), width, height);
    PrintOutputLine(outcome.line);
    return outcome.written;
}
