// Builds BMP and bare DIB files in memory for loader tests and the fuzzing
// corpus.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct DibLayout {
    std::uint32_t headerSize = 40;  // 12, 40, or anything to test refusal
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0;
    std::uint32_t sizeImage = 0;
    std::uint32_t clrUsed = 0;
    bool fileHeader = true;
    std::vector<std::uint8_t> table;   // colour entries as stored (3 or 4 bytes each)
    std::size_t gap = 0;               // bytes between the table and the pixels
    std::vector<std::uint8_t> pixels;  // stored rows, filler included
};

inline void Put16(std::vector<std::uint8_t> &out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}
inline void Put32(std::vector<std::uint8_t> &out, std::uint32_t value) {
    Put16(out, value & 0xFFFFu);
    Put16(out, value >> 16);
}

inline std::vector<std::uint8_t> BuildDib(const DibLayout &layout) {
    std::vector<std::uint8_t> header;
    Put32(header, layout.headerSize);
    if (layout.headerSize == 12) {
        Put16(header, static_cast<unsigned>(layout.width));
        Put16(header, static_cast<unsigned>(layout.height));
        Put16(header, 1);
        Put16(header, layout.bitCount);
    } else {
        Put32(header, static_cast<std::uint32_t>(layout.width));
        Put32(header, static_cast<std::uint32_t>(layout.height));
        Put16(header, 1);
        Put16(header, layout.bitCount);
        Put32(header, layout.compression);
        Put32(header, layout.sizeImage);
        Put32(header, 2835);
        Put32(header, 2835);
        Put32(header, layout.clrUsed);
        Put32(header, 0);
        // Larger claimed sizes get at most 256 bytes of header behind them.
        const std::size_t claimed = layout.headerSize < 40 ? 40 : layout.headerSize;
        header.resize(claimed < 256 ? claimed : 256, 0);
    }
    std::vector<std::uint8_t> file;
    const std::size_t offset = (layout.fileHeader ? 14 : 0) + header.size() + layout.table.size() + layout.gap;
    if (layout.fileHeader) {
        file.push_back('B');
        file.push_back('M');
        Put32(file, static_cast<std::uint32_t>(offset + layout.pixels.size()));
        Put32(file, 0);
        Put32(file, static_cast<std::uint32_t>(offset));
    }
    file.insert(file.end(), header.begin(), header.end());
    file.insert(file.end(), layout.table.begin(), layout.table.end());
    file.insert(file.end(), layout.gap, 0xEE);
    file.insert(file.end(), layout.pixels.begin(), layout.pixels.end());
    return file;
}

// Stored rows of a 24-bit picture given as packed red-green-blue rows,
// bottom row first: channels swapped to blue-green-red, rows filled up to
// a multiple of four bytes.
inline std::vector<std::uint8_t> StoredRows24(const std::vector<std::uint8_t> &rgb, int width,
                                              int rows) {
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    std::vector<std::uint8_t> out(stride * static_cast<std::size_t>(rows), 0);
    for (int r = 0; r < rows; ++r)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                out[r * stride + x * 3 + c] = rgb[(r * width + x) * 3 + (2 - c)];
    return out;
}
