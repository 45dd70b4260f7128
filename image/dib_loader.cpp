// The BMP loader: headers checked against the file, pixels to packed RGB rows.
#include "image/dib_loader.h"

#include <cstdio>
#include <cstdlib>
#include <new>

#include "io/input_file.h"

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kUncompressed = 0;  // BI_RGB

// Pictures beyond these are refused rather than allocated.
constexpr std::int64_t kMaxSide = 16384;
constexpr std::int64_t kMaxPixels = std::int64_t{16} << 20;

std::uint16_t U16(const unsigned char *p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t U32(const unsigned char *p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::int32_t S32(const unsigned char *p) { return static_cast<std::int32_t>(U32(p)); }

// Rows of the picture, whatever order they are stored in.
std::int64_t RowCount(const DibInfo &info) {
    return info.height < 0 ? -static_cast<std::int64_t>(info.height) : info.height;
}

// Bytes of one stored row: bits rounded up to whole 32-bit words.
std::size_t StoredRowBytes(std::uint16_t bitCount, std::int64_t width) {
    return static_cast<std::size_t>((static_cast<std::int64_t>(bitCount) * width + 31) / 32 * 4);
}

// Decodes one stored row into packed red-green-blue; false when a colour
// index lies outside the table.
bool ConvertRow(const DibInfo &info, const unsigned char *row, unsigned char *out) {
    const std::size_t entries = info.colors.size() / 4;
    const std::uint8_t *table = info.colors.data();
    auto fromTable = [&](unsigned index, unsigned char *pixel) {
        if (index >= entries) return false;
        pixel[0] = table[4 * index + 2];
        pixel[1] = table[4 * index + 1];
        pixel[2] = table[4 * index + 0];
        return true;
    };
    for (std::int32_t x = 0; x < info.width; ++x, out += 3) {
        switch (info.bitCount) {
        case 1:
            if (!fromTable((row[x / 8] >> (7 - x % 8)) & 1u, out)) return false;
            break;
        case 4:
            if (!fromTable((row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0xFu, out)) return false;
            break;
        case 8:
            if (!fromTable(row[x], out)) return false;
            break;
        case 16: {
            // 5-5-5, each channel widened to 8 bits so that 31 becomes 255.
            const unsigned v = U16(row + 2 * x);
            const unsigned channels[3] = {(v >> 10) & 31u, (v >> 5) & 31u, v & 31u};
            for (int c = 0; c < 3; ++c)
                out[c] = static_cast<unsigned char>((channels[c] << 3) | (channels[c] >> 2));
            break;
        }
        case 24:
        case 32: {
            const unsigned char *pixel = row + static_cast<std::size_t>(x) * (info.bitCount / 8);
            out[0] = pixel[2];
            out[1] = pixel[1];
            out[2] = pixel[0];
            break;
        }
        default:
            return false;
        }
    }
    return true;
}

// Converts every row into `out`, bottom row first whatever the stored order.
DibError ConvertPixels(const unsigned char *file, std::size_t size, const DibInfo &info,
                       unsigned char *out) {
    const std::int64_t rows = RowCount(info);
    const std::size_t stride = StoredRowBytes(info.bitCount, info.width);
    if (info.pixelOffset > size || stride * static_cast<std::size_t>(rows) > size - info.pixelOffset)
        return DibError::ConversionError;
    const std::size_t outStride = 3 * static_cast<std::size_t>(info.width);
    for (std::int64_t r = 0; r < rows; ++r) {
        const std::int64_t stored = info.height < 0 ? rows - 1 - r : r;
        const unsigned char *row = file + info.pixelOffset + static_cast<std::size_t>(stored) * stride;
        if (!ConvertRow(info, row, out + static_cast<std::size_t>(r) * outStride))
            return DibError::ConversionError;
    }
    return DibError::None;
}

DibError CheckConvertible(const DibInfo &info) {
    switch (info.bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return DibError::ConversionError;
    }
    // Run-length and colour-mask images are not decoded.
    if (info.compression != kUncompressed) return DibError::ConversionError;
    if (info.width <= 0 || info.height == 0) return DibError::ConversionError;
    const std::int64_t rows = RowCount(info);
    if (info.width > kMaxSide || rows > kMaxSide || info.width * rows > kMaxPixels)
        return DibError::OutOfMemory;
    return DibError::None;
}

}  // namespace

const char *DibErrorText(DibError error) {
    switch (error) {
    case DibError::OutOfMemory: return "Out of memory.";
    case DibError::UnknownFormat: return "Unknown DIB file format.";
    case DibError::ConversionError: return "Image file conversion error.";
    case DibError::None: break;
    }
    return "";
}

std::uint16_t DibColorCount(const unsigned char *header) {
    std::uint16_t bitCount;
    if (U32(header) == kCoreHeaderSize) {
        bitCount = U16(header + 10);
    } else {
        const std::uint32_t clrUsed = U32(header + 32);
        if (clrUsed != 0) return static_cast<std::uint16_t>(clrUsed & 0xFFFFu);
        bitCount = U16(header + 14);
    }
    switch (bitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

DibError ReadDibInfo(const unsigned char *file, std::size_t size, DibInfo &info) {
    const bool hasFileHeader = size >= 2 && file[0] == 'B' && file[1] == 'M';
    const std::size_t start = hasFileHeader ? kFileHeaderSize : 0;
    if (size < start + 4) return DibError::UnknownFormat;
    const unsigned char *header = file + start;
    const std::uint32_t headerSize = U32(header);
    if (headerSize != kCoreHeaderSize && headerSize != kInfoHeaderSize) return DibError::UnknownFormat;
    if (size - start < headerSize) return DibError::UnknownFormat;  // cut short

    const std::size_t count = DibColorCount(header);
    const bool core = headerSize == kCoreHeaderSize;
    const std::size_t entrySize = core ? 3 : 4;
    if (size - start - headerSize < count * entrySize) return DibError::ConversionError;

    if (core) {
        info.width = U16(header + 4);
        info.height = U16(header + 6);  // a core header is never top-down
        info.planes = U16(header + 8);
        info.bitCount = U16(header + 10);
        info.compression = info.sizeImage = 0;
        info.xPelsPerMeter = info.yPelsPerMeter = 0;
        info.clrUsed = info.clrImportant = static_cast<std::uint32_t>(count);
    } else {
        info.width = S32(header + 4);
        info.height = S32(header + 8);
        info.planes = U16(header + 12);
        info.bitCount = U16(header + 14);
        info.compression = U32(header + 16);
        info.sizeImage = U32(header + 20);
        info.xPelsPerMeter = S32(header + 24);
        info.yPelsPerMeter = S32(header + 28);
        info.clrUsed = U32(header + 32);
        info.clrImportant = U32(header + 36);
    }

    try {
        info.colors.assign(count * 4, 0);
    } catch (const std::bad_alloc &) {
        return DibError::OutOfMemory;
    }
    const unsigned char *table = header + headerSize;
    for (std::size_t i = 0; i < count; ++i)
        for (std::size_t c = 0; c < 3; ++c) info.colors[4 * i + c] = table[entrySize * i + c];
    if (!core)
        for (std::size_t i = 0; i < count; ++i) info.colors[4 * i + 3] = table[4 * i + 3];

    // Rows counted without their filler, as the format's default has it.
    // Unsigned arithmetic: absurd dimensions wrap here and are refused later.
    if (info.sizeImage == 0) {
        const std::uint64_t rowBytes =
            (std::uint64_t{info.bitCount} * static_cast<std::uint32_t>(info.width) + 7) / 8;
        const auto rows = static_cast<std::uint64_t>(RowCount(info));
        info.sizeImage = static_cast<std::uint32_t>(rowBytes * rows);
    }
    if (info.clrUsed == 0) info.clrUsed = static_cast<std::uint32_t>(count);

    info.pixelOffset = hasFileHeader ? U32(file + 10) : headerSize + count * entrySize;
    return DibError::None;
}

DibLoad DecodeDibImage(const unsigned char *file, std::size_t size) {
    DibInfo info;
    DibError error = ReadDibInfo(file, size, info);
    if (error == DibError::None) error = CheckConvertible(info);

    unsigned char *pixels = nullptr;
    if (error == DibError::None) {
        const std::int64_t rows = RowCount(info);
        pixels = static_cast<unsigned char *>(std::malloc(3 * static_cast<std::size_t>(info.width) *
                                                          static_cast<std::size_t>(rows)));
        if (!pixels) error = DibError::OutOfMemory;
    }
    if (error == DibError::None) error = ConvertPixels(file, size, info, pixels);

    ImageRecord *record = nullptr;
    if (error == DibError::None) {
        record = static_cast<ImageRecord *>(std::malloc(sizeof(ImageRecord)));
        if (!record) error = DibError::OutOfMemory;
    }
    if (error != DibError::None) {
        std::free(pixels);
        return {nullptr, DibErrorText(error), ""};
    }
    record->width = info.width;
    record->height = static_cast<std::int32_t>(RowCount(info));
    record->pixels = pixels;
    return {record, "", ""};
}

DibLoad LoadDibImage(const char *path) {
    std::string file;
    const InputFileRead read = ReadInputFile(path, kMaxDibFileBytes, file);
    if (read != InputFileRead::Ok || file.empty()) {
        char text[256];
        std::snprintf(text, sizeof text, "Failed to open DIB file %s.\n", path);
        const std::string problem = read == InputFileRead::TooLarge ? "larger than 256 MiB"
                                    : file.empty() && read == InputFileRead::Ok ? "is empty"
                                                                                  : InputFileProblem(read);
        return {nullptr, text, std::string(path) + ": " + problem};
    }
    return DecodeDibImage(reinterpret_cast<const unsigned char *>(file.data()), file.size());
}

void FreeImageRecord(ImageRecord *record) {
    if (!record) return;
    std::free(record->pixels);
    std::free(record);
}
