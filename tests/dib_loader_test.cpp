// The BMP loader on synthetic files: every depth through both header
// kinds, the offset and colour-count rules, row filler, top-down images,
// and bad input, each failure with its one message.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "image/dib_loader.h"
#include "tests/dib_builder.h"
#include "tests/scratch_dir.h"

namespace {

// A picture stored at some depth, with the colours the loader must return.
struct Encoded {
    DibLayout layout;
    std::vector<std::uint8_t> expected;  // packed red-green-blue, bottom row first
};

// A picture of `width` x `height` at `bitCount` bits, for a header of
// `headerSize` bytes; palette depths use a table of distinct colours.
Encoded Encode(std::uint32_t headerSize, int width, int height, std::uint16_t bitCount) {
    Encoded e;
    e.layout.headerSize = headerSize;
    e.layout.width = width;
    e.layout.height = height;
    e.layout.bitCount = bitCount;
    const std::size_t stride = (static_cast<std::size_t>(bitCount) * width + 31) / 32 * 4;
    e.layout.pixels.assign(stride * height, 0);
    const int entries = bitCount <= 8 ? 1 << bitCount : 0;
    for (int i = 0; i < entries; ++i) {
        const std::uint8_t bgr[3] = {static_cast<std::uint8_t>(i * 7 + 1), static_cast<std::uint8_t>(255 - i),
                                     static_cast<std::uint8_t>(i * 13 + 5)};
        e.layout.table.insert(e.layout.table.end(), bgr, bgr + 3);
        if (headerSize != 12) e.layout.table.push_back(0);
    }
    const std::size_t entrySize = headerSize == 12 ? 3 : 4;
    for (int r = 0; r < height; ++r) {
        std::uint8_t *row = &e.layout.pixels[r * stride];
        for (int x = 0; x < width; ++x) {
            const unsigned seed = static_cast<unsigned>(r * 31 + x * 17 + 3);
            std::uint8_t rgb[3];
            if (entries) {
                const unsigned index = seed % entries;
                if (bitCount == 1) row[x / 8] |= static_cast<std::uint8_t>(index << (7 - x % 8));
                if (bitCount == 4) row[x / 2] |= static_cast<std::uint8_t>(index << (x % 2 ? 0 : 4));
                if (bitCount == 8) row[x] = static_cast<std::uint8_t>(index);
                for (int c = 0; c < 3; ++c) rgb[c] = e.layout.table[index * entrySize + (2 - c)];
            } else if (bitCount == 16) {
                const unsigned c5[3] = {seed % 32, (seed / 3) % 32, (seed * 5) % 32};
                const unsigned v = (c5[0] << 10) | (c5[1] << 5) | c5[2];
                row[2 * x] = static_cast<std::uint8_t>(v);
                row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
                for (int c = 0; c < 3; ++c) rgb[c] = static_cast<std::uint8_t>((c5[c] << 3) | (c5[c] >> 2));
            } else {
                const int bytes = bitCount / 8;
                for (int c = 0; c < 3; ++c) rgb[c] = static_cast<std::uint8_t>(seed * (c + 3));
                for (int c = 0; c < 3; ++c) row[x * bytes + c] = rgb[2 - c];
                if (bytes == 4) row[x * bytes + 3] = 0xAB;  // ignored
            }
            e.expected.insert(e.expected.end(), rgb, rgb + 3);
        }
    }
    return e;
}

class DibLoaderTest : public ::testing::Test {
protected:
    // Decodes and expects success with no message.
    static std::vector<std::uint8_t> Decode(const std::vector<std::uint8_t> &file, int width, int height) {
        const DibLoad load = DecodeDibImage(file.data(), file.size());
        ImageRecord *image = load.image;
        EXPECT_TRUE(load.error.empty()) << load.error;
        if (!image) {
            ADD_FAILURE() << "no image";
            return {};
        }
        EXPECT_EQ(image->width, width);
        EXPECT_EQ(image->height, height);
        std::vector<std::uint8_t> pixels(image->pixels, image->pixels + 3 * width * height);
        FreeImageRecord(image);
        return pixels;
    }

    // Decodes and expects no image and exactly the one text `text`.
    static void ExpectRefused(const std::vector<std::uint8_t> &file, const std::string &text) {
        const DibLoad load = DecodeDibImage(file.data(), file.size());
        EXPECT_EQ(load.image, nullptr);
        EXPECT_EQ(load.error, text);
    }
};

TEST_F(DibLoaderTest, EveryDepthThroughBothHeadersWithAndWithoutFileHeader) {
    for (std::uint32_t headerSize : {12u, 40u})
        for (std::uint16_t bits : {1, 4, 8, 16, 24, 32})
            for (bool fileHeader : {true, false}) {
                SCOPED_TRACE(testing::Message() << headerSize << "-byte header, " << bits
                                                << " bits, file header " << fileHeader);
                Encoded e = Encode(headerSize, 13, 5, bits);
                e.layout.fileHeader = fileHeader;
                EXPECT_EQ(Decode(BuildDib(e.layout), 13, 5), e.expected);
            }
}

TEST_F(DibLoaderTest, WidthsFourToSevenSkipTheRowFiller) {
    for (int width = 4; width <= 7; ++width) {
        Encoded e = Encode(40, width, 3, 24);
        ASSERT_EQ(e.layout.pixels.size(), static_cast<std::size_t>((width * 3 + 3) / 4 * 4 * 3));
        EXPECT_EQ(Decode(BuildDib(e.layout), width, 3), e.expected) << width;
    }
}

TEST_F(DibLoaderTest, TwoByTwoComesBackRedGreenBlueBottomRowFirst) {
    DibLayout layout;
    layout.width = layout.height = 2;
    // Bottom row: A, B; top row: C, D; each stored blue, green, red.
    layout.pixels = {3, 2, 1, 6, 5, 4, 0, 0, 9, 8, 7, 12, 11, 10, 0, 0};
    EXPECT_EQ(Decode(BuildDib(layout), 2, 2),
              (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
}

TEST_F(DibLoaderTest, TopDownImageArrivesBottomRowFirstWithPositiveHeight) {
    Encoded e = Encode(40, 5, 4, 24);
    // Store the same rows top row first under a negative height.
    const std::size_t stride = 16;
    std::vector<std::uint8_t> flipped;
    for (int r = 3; r >= 0; --r)
        flipped.insert(flipped.end(), e.layout.pixels.begin() + r * stride,
                       e.layout.pixels.begin() + (r + 1) * stride);
    e.layout.pixels = flipped;
    e.layout.height = -4;
    EXPECT_EQ(Decode(BuildDib(e.layout), 5, 4), e.expected);
}

TEST_F(DibLoaderTest, PixelDataComesFromTheStoredOffset) {
    Encoded e = Encode(40, 6, 2, 8);
    e.layout.gap = 37;  // the offset lies beyond the end of the table
    EXPECT_EQ(Decode(BuildDib(e.layout), 6, 2), e.expected);
}

TEST_F(DibLoaderTest, WorkingHeaderTakesTheCountsAndOffsetsOfEachKind) {
    DibInfo info;
    // Bare info header, 8 bits, biClrUsed 0: 256 entries, pixels at 1064.
    Encoded e8 = Encode(40, 4, 1, 8);
    e8.layout.fileHeader = false;
    std::vector<std::uint8_t> file = BuildDib(e8.layout);
    ASSERT_EQ(ReadDibInfo(file.data(), file.size(), info), DibError::None);
    EXPECT_EQ(info.colors.size(), 256u * 4);
    EXPECT_EQ(info.clrUsed, 256u);
    EXPECT_EQ(info.pixelOffset, 1064u);

    // Bare core header, 4 bits: 16 entries widened, pixels at 60.
    Encoded e4 = Encode(12, 4, 1, 4);
    e4.layout.fileHeader = false;
    file = BuildDib(e4.layout);
    info = DibInfo{};
    ASSERT_EQ(ReadDibInfo(file.data(), file.size(), info), DibError::None);
    EXPECT_EQ(info.clrUsed, 16u);
    EXPECT_EQ(info.clrImportant, 16u);
    EXPECT_EQ(info.pixelOffset, 60u);
    EXPECT_EQ(info.colors[4 * 15 + 3], 0u);
    EXPECT_EQ(info.colors[4 * 15 + 2], e4.layout.table[3 * 15 + 2]);

    // 24 bits with biClrUsed 16: the 16 entries are copied, pixels at 104.
    DibLayout layout;
    layout.fileHeader = false;
    layout.width = 5;
    layout.height = 3;
    layout.clrUsed = 16;
    layout.table.assign(64, 0x11);
    layout.pixels.assign(48, 0);
    file = BuildDib(layout);
    info = DibInfo{};
    ASSERT_EQ(ReadDibInfo(file.data(), file.size(), info), DibError::None);
    EXPECT_EQ(info.colors.size(), 64u);
    EXPECT_EQ(info.pixelOffset, 104u);

    // 24 bits, biClrUsed and biSizeImage 0: no table, rows without filler.
    layout.clrUsed = 0;
    layout.table.clear();
    file = BuildDib(layout);
    info = DibInfo{};
    ASSERT_EQ(ReadDibInfo(file.data(), file.size(), info), DibError::None);
    EXPECT_TRUE(info.colors.empty());
    EXPECT_EQ(info.clrUsed, 0u);
    EXPECT_EQ(info.sizeImage, 45u);
}

TEST_F(DibLoaderTest, ColorCountRules) {
    std::vector<std::uint8_t> core = BuildDib([] {
        DibLayout s;
        s.headerSize = 12;
        s.bitCount = 8;
        s.fileHeader = false;
        return s;
    }());
    EXPECT_EQ(DibColorCount(core.data()), 256);
    DibLayout info;
    info.fileHeader = false;
    for (auto [bits, count] : {std::pair{1, 2}, {4, 16}, {8, 256}, {16, 0}, {24, 0}, {32, 0}, {2, 0}}) {
        info.bitCount = static_cast<std::uint16_t>(bits);
        EXPECT_EQ(DibColorCount(BuildDib(info).data()), count) << bits;
    }
    info.bitCount = 8;
    info.clrUsed = 0x10005;  // only the low 16 bits count
    EXPECT_EQ(DibColorCount(BuildDib(info).data()), 5);
}

TEST_F(DibLoaderTest, OtherHeaderSizesAreUnknown) {
    for (std::uint32_t size : {0u, 16u, 64u, 108u, 124u, 0xFFFFFFFFu}) {
        DibLayout layout;
        layout.headerSize = size;
        layout.pixels.assign(4, 0);
        ExpectRefused(BuildDib(layout), "Unknown DIB file format.");
    }
}

TEST_F(DibLoaderTest, TruncatedFilesAreRefused) {
    Encoded e = Encode(40, 8, 8, 8);
    const std::vector<std::uint8_t> whole = BuildDib(e.layout);
    // Cut inside the file header, the info header, the table and the pixels.
    for (std::size_t cut : {std::size_t{1}, std::size_t{10}, std::size_t{20}, std::size_t{53}})
        ExpectRefused({whole.begin(), whole.begin() + cut}, "Unknown DIB file format.");
    for (std::size_t cut : {std::size_t{54}, std::size_t{54 + 1023}, whole.size() - 1})
        ExpectRefused({whole.begin(), whole.begin() + cut}, "Image file conversion error.");

    Encoded core = Encode(12, 8, 8, 4);
    core.layout.fileHeader = false;
    const std::vector<std::uint8_t> bare = BuildDib(core.layout);
    ExpectRefused({bare.begin(), bare.begin() + 11}, "Unknown DIB file format.");
    ExpectRefused({bare.begin(), bare.begin() + 12 + 47}, "Image file conversion error.");
}

TEST_F(DibLoaderTest, OffsetBeyondTheEndIsRefused) {
    Encoded e = Encode(40, 4, 4, 24);
    std::vector<std::uint8_t> file = BuildDib(e.layout);
    for (std::uint32_t offset : {static_cast<std::uint32_t>(file.size()), 0xFFFFFFF0u}) {
        file[10] = static_cast<std::uint8_t>(offset);
        file[11] = static_cast<std::uint8_t>(offset >> 8);
        file[12] = static_cast<std::uint8_t>(offset >> 16);
        file[13] = static_cast<std::uint8_t>(offset >> 24);
        ExpectRefused(file, "Image file conversion error.");
    }
}

TEST_F(DibLoaderTest, HugeDimensionsAreRefusedWithoutAllocating) {
    for (auto [width, height] : {std::pair{0x7FFFFFFF, 1}, {1, 0x7FFFFFFF}, {16384, 16384},
                                 {1, static_cast<int>(0x80000000u)}}) {
        DibLayout layout;
        layout.width = width;
        layout.height = height;
        layout.pixels.assign(64, 0);
        ExpectRefused(BuildDib(layout), "Out of memory.");
    }
}

TEST_F(DibLoaderTest, UnconvertibleDataIsAConversionError) {
    auto refuse = [](DibLayout layout) { ExpectRefused(BuildDib(layout), "Image file conversion error."); };
    DibLayout layout;
    layout.width = layout.height = 2;
    layout.pixels.assign(16, 0);
    for (std::uint32_t compression : {1u, 2u, 3u, 4u, 5u}) {  // run-length, masks, embedded
        DibLayout c = layout;
        c.compression = compression;
        refuse(c);
    }
    DibLayout twoBits = layout;
    twoBits.bitCount = 2;
    refuse(twoBits);
    DibLayout empty = layout;
    empty.width = 0;
    refuse(empty);
    DibLayout flat = layout;
    flat.height = 0;
    refuse(flat);
    DibLayout negativeWidth = layout;
    negativeWidth.width = -2;
    refuse(negativeWidth);

    // An 8-bit image with a 2-entry table and an index beyond it.
    DibLayout indexed = layout;
    indexed.bitCount = 8;
    indexed.clrUsed = 2;
    indexed.table.assign(8, 0x40);
    indexed.pixels = {0, 1, 0, 0, 1, 2, 0, 0};
    refuse(indexed);
    indexed.pixels[5] = 1;
    EXPECT_EQ(Decode(BuildDib(indexed), 2, 2).size(), 12u);
}

// Through real files: the mapping and its open-failure report.
class DibFileTest : public DibLoaderTest {
protected:
    void SetUp() override {
        DibLoaderTest::SetUp();
        ASSERT_TRUE(scratch_.Ok());
    }
    std::string Path() const { return scratch_.File("picture.bmp"); }
    void Write(const std::vector<std::uint8_t> &bytes) const {
        std::FILE *f = std::fopen(Path().c_str(), "wb");
        ASSERT_NE(f, nullptr);
        if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    void ExpectOpenFailure(const std::string &path) const {
        const DibLoad load = LoadDibImage(path.c_str());
        EXPECT_EQ(load.image, nullptr);
        EXPECT_EQ(load.error, "Failed to open DIB file " + path + ".\n");
    }
    ScratchDir scratch_;
};

TEST_F(DibFileTest, LoadsAFileInPlace) {
    Encoded e = Encode(40, 7, 3, 24);
    Write(BuildDib(e.layout));
    const DibLoad load = LoadDibImage(Path().c_str());
    ImageRecord *image = load.image;
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(load.error.empty());
    EXPECT_EQ(std::vector<std::uint8_t>(image->pixels, image->pixels + 63), e.expected);
    FreeImageRecord(image);
}

TEST_F(DibFileTest, MissingEmptyAndDirectoryPathsGiveTheOpenFailure) {
    ExpectOpenFailure(Path());  // not written yet
    Write({});
    ExpectOpenFailure(Path());
    ExpectOpenFailure(scratch_.Path());
}

TEST_F(DibFileTest, LongPathIsCutToTheMessageBuffer) {
    const std::string path = "/nonexistent/" + std::string(400, 'p') + ".bmp";
    const DibLoad load = LoadDibImage(path.c_str());
    EXPECT_EQ(load.image, nullptr);
    EXPECT_EQ(load.error.size(), 255u);
    EXPECT_EQ(load.error.rfind("Failed to open DIB file /nonexistent/pp", 0), 0u);
}

}  // namespace
