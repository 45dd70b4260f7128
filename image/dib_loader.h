// Reading a picture from a BMP file, or a bare DIB without the file
// header, into tightly packed red-green-blue rows.
//
// Accepted: the 12-byte core header and the 40-byte info header, with their
// colour tables; uncompressed pixels of 1, 4 and 8 bits through the colour
// table, 16 bits as 5-5-5, 24 bits as blue-green-red and 32 bits as
// blue-green-red and an ignored byte. A failed load gives no image and
// exactly one text for the user, which the caller shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct ImageRecord {
    std::int32_t width = 0;
    std::int32_t height = 0;  // always positive: rows run bottom to top
    unsigned char *pixels = nullptr;  // 3 * width * height bytes, no row filler
};

// What a load gives: the image, or no image and the one text that says why.
struct DibLoad {
    ImageRecord *image = nullptr;  // the caller frees it with FreeImageRecord
    std::string error;             // empty when there is an image
    // Why the file could not be opened, naming it, for a diagnostic
    // beside the user's text: "./particle3.bmp: is not a regular file".
    std::string reason;
};

// Sprite files beyond this are refused unread.
constexpr std::size_t kMaxDibFileBytes = 256u << 20;

// Loads the file at `path`, read as a file from outside (io/input_file.h):
// a folder, FIFO or device is refused at once, without blocking.
DibLoad LoadDibImage(const char *path);

// The same for a file's bytes already in memory.
DibLoad DecodeDibImage(const unsigned char *file, std::size_t size);

// Releases the pixel bytes, then the record. Null is allowed.
void FreeImageRecord(ImageRecord *record);

// Number of colour-table entries of a DIB header, core or info: the low 16
// bits of biClrUsed when set, else 2, 16 or 256 for 1, 4 and 8 bits, else
// 0. Reads 12 bytes of a core header and 40 of any other.
std::uint16_t DibColorCount(const unsigned char *header);

// The working header: an info header built from whichever header the file
// has, with the defaults filled in, and where the table and pixels are.
struct DibInfo {
    std::int32_t width = 0;
    std::int32_t height = 0;  // negative: stored top row first
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t sizeImage = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint32_t clrUsed = 0;
    std::uint32_t clrImportant = 0;
    std::vector<std::uint8_t> colors;  // count entries of blue, green, red, 0
    std::size_t pixelOffset = 0;       // from the start of the file
};

enum class DibError { None, OutOfMemory, UnknownFormat, ConversionError };

// The user's text for each failure.
const char *DibErrorText(DibError error);

// Reads the headers and the colour table, checking they lie in the file.
DibError ReadDibInfo(const unsigned char *file, std::size_t size, DibInfo &info);
