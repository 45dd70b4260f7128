// Tab's screenshot: the frame read back and written as a PPM file.
#include "app/screenshot.h"

#include <cstddef>
#include <filesystem>
#include <new>
#include <vector>

#include "io/user_message.h"
#include "image/ppm_writer.h"
#include "render/graphics.h"
#include "render/read_back.h"

namespace {

ScreenshotOutcome NotWritten(const char *path, const std::string &why) {
    PrintOutputLine(std::string("Warning: cannot write ") + path + ": " + why + "\n");
    return {false, std::string("cannot save ") + path + ": " + why};
}

}  // namespace

ScreenshotOutcome SaveScreenshot(const char *path, int width, int height, const std::uint8_t *rgba) {
    std::vector<unsigned char> rgb;
    // A negative size reads nothing: the writer refuses it with its line.
    if (width >= 0 && height >= 0) {
        try {
            rgb.resize(std::size_t{3} * static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        } catch (const std::bad_alloc &) {
            return NotWritten(path, "out of memory");
        }
        if (rgba) {
            for (std::size_t i = 0, j = 0; i < rgb.size(); i += 3, j += 4) {
                rgb[i] = rgba[j];
                rgb[i + 1] = rgba[j + 1];
                rgb[i + 2] = rgba[j + 2];
            }
        } else if (!ReadBackRgb(width, height, rgb.data())) {
            return NotWritten(path, "the frame cannot be read back");
        }
    }
    const PpmOutcome outcome = WritePpm(path, rgb.data(), width, height);
    PrintOutputLine(outcome.line);
    if (!outcome.written) {
        std::string why = outcome.line;  // "Warning: cannot open ...\n", as the terminal has it
        while (!why.empty() && why.back() == '\n') why.pop_back();
        return {false, why.rfind("Warning: ", 0) == 0 ? why.substr(9) : why};
    }
    // The name, and the folder it went into, in full.
    std::error_code ignored;
    const std::filesystem::path file(path);
    const std::filesystem::path folder = std::filesystem::absolute(file, ignored).parent_path();
    return {true, "saved " + file.filename().string() + " (" + std::to_string(width) + " x " +
                      std::to_string(height) + ") in " + folder.string()};
}
