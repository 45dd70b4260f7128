// Writes the fuzzer's seed corpus: small valid files of every depth and
// header kind, a top-down one and a few broken ones.
// Usage: make_dib_corpus DIRECTORY
#include <cstdio>
#include <string>

#include "tests/dib_builder.h"

namespace {

bool Save(const std::string &dir, const std::string &name, const std::vector<std::uint8_t> &bytes) {
    const std::string path = dir + "/" + name;
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = true;
    for (std::uint32_t headerSize : {12u, 40u}) {
        for (std::uint16_t bits : {1, 4, 8, 16, 24, 32}) {
            for (bool fileHeader : {true, false}) {
                DibLayout layout;
                layout.headerSize = headerSize;
                layout.bitCount = bits;
                layout.width = 5;
                layout.height = 3;
                layout.fileHeader = fileHeader;
                const int entries = bits <= 8 ? 1 << bits : 0;
                layout.table.assign(static_cast<std::size_t>(entries) * (headerSize == 12 ? 3 : 4), 0x5A);
                layout.pixels.assign((static_cast<std::size_t>(bits) * 5 + 31) / 32 * 4 * 3, 0x01);
                ok &= Save(dir, "h" + std::to_string(headerSize) + "-b" + std::to_string(bits) +
                                    (fileHeader ? "-bm" : "-bare") + ".bmp",
                           BuildDib(layout));
            }
        }
    }
    DibLayout topDown;
    topDown.width = 4;
    topDown.height = -2;
    topDown.pixels.assign(24, 0x80);
    ok &= Save(dir, "top-down.bmp", BuildDib(topDown));
    DibLayout unknown;
    unknown.headerSize = 108;
    ok &= Save(dir, "unknown-header.bmp", BuildDib(unknown));
    DibLayout runLength;
    runLength.bitCount = 8;
    runLength.compression = 1;
    runLength.table.assign(1024, 0);
    runLength.pixels = {2, 1, 0, 0};
    ok &= Save(dir, "run-length.bmp", BuildDib(runLength));
    if (!ok) std::fprintf(stderr, "make_dib_corpus: cannot write into %s\n", dir.c_str());
    return ok ? 0 : 1;
}
