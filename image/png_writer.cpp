// PNG files through libpng, replaced all or nothing.
#include "image/png_writer.h"

#include <png.h>

#include <cerrno>
#include <cstring>
#include <algorithm>
#include <vector>

#include "io/replacement_file.h"

namespace {

// What went wrong inside libpng, kept for the message.
struct WriteState {
    std::FILE *file = nullptr;
    std::string problem;
};

void WriteBytes(png_structp png, png_bytep data, png_size_t length) {
    auto *state = static_cast<WriteState *>(png_get_io_ptr(png));
    if (std::fwrite(data, 1, length, state->file) != length) {
        state->problem = std::strerror(errno);
        png_error(png, "write failed");
    }
}

void FlushBytes(png_structp png) {
    auto *state = static_cast<WriteState *>(png_get_io_ptr(png));
    std::fflush(state->file);
}

void OnError(png_structp png, png_const_charp message) {
    auto *state = static_cast<WriteState *>(png_get_error_ptr(png));
    if (state->problem.empty()) state->problem = message;
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// The libpng part, kept apart so that nothing with a destructor lives
// across its setjmp.
bool Encode(WriteState &state, png_bytep const *rows, int width, int height, int level, bool alpha) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, OnError, OnWarning);
    if (!png) {
        state.problem = "out of memory";
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        if (state.problem.empty()) state.problem = "out of memory";
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &state, WriteBytes, FlushBytes);
    png_set_compression_level(png, level);
    // No row filter: on smoke over black it saves a third of the time for
    // a file a sixth larger, and a capture writes a file every frame.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
                 PNG_FILTER_TYPE_BASE);
    png_write_info(png, info);
    png_write_image(png, const_cast<png_bytepp>(rows));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool WritePng(const std::string &path, const unsigned char *rgb, int width, int height, int level,
              std::string &error, Durability durability, bool alpha) {
    if (width <= 0 || height <= 0 || level < 0 || level > 9) {
        error = "cannot write " + path + ": bad picture size or compression level";
        return false;
    }
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    const std::size_t stride = std::size_t{alpha ? 4u : 3u} * static_cast<std::size_t>(width);
    for (int j = 0; j < height; ++j)
        rows[static_cast<std::size_t>(j)] = const_cast<png_bytep>(rgb + static_cast<std::size_t>(j) * stride);

    ReplacementFile file(durability);
    if (!file.Open(path)) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    WriteState state;
    state.file = file.Stream();
    if (!Encode(state, rows.data(), width, height, level, alpha)) {
        error = "cannot write " + path + ": " + state.problem;
        return false;
    }
    if (!file.Commit()) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void AddAlphaFromBrightness(unsigned char *pixels, std::size_t count) {
    // From the last pixel back, so that each RGB triple is read before
    // its RGBA place is written.
    for (std::size_t i = count; i-- > 0;) {
        const unsigned r = pixels[3 * i], g = pixels[3 * i + 1], b = pixels[3 * i + 2];
        const unsigned a = std::max(r, std::max(g, b));
        unsigned char *out = pixels + 4 * i;
        out[3] = static_cast<unsigned char>(a);
        for (int c = 2; c >= 0; --c) {
            const unsigned v = c == 0 ? r : c == 1 ? g : b;
            out[c] = static_cast<unsigned char>(a == 0 ? 0 : (v * 255 + a / 2) / a);
        }
    }
}
