// Writes Nimbrel's sprite image: a soft, round puff of smoke that fades to
// black at its edge, as a 64 x 64 24-bit BMP file.
// Usage: make_particle_sprite OUTPUT.bmp
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int kSide = 64;

void Put16(std::vector<unsigned char> &out, unsigned value) {
    out.push_back(static_cast<unsigned char>(value));
    out.push_back(static_cast<unsigned char>(value >> 8));
}
void Put32(std::vector<unsigned char> &out, std::uint32_t value) {
    Put16(out, value & 0xFFFFu);
    Put16(out, value >> 16);
}

// A little fixed lumpiness, so the puff looks like smoke, not a disc.
double Billow(double x, double y) {
    return 0.5 * std::sin(5.0 * x + 1.3) * std::sin(4.0 * y + 0.7) +
           0.3 * std::sin(9.0 * (x + y) + 2.1) + 0.2 * std::sin(13.0 * x - 11.0 * y);
}

// Brightness 0 to 1 at a point of the unit square's inscribed disc.
double Puff(double x, double y) {
    const double r = std::sqrt(x * x + y * y);
    if (r >= 1.0) return 0.0;
    const double falloff = std::pow(1.0 - r * r, 2.0);  // 1 at the centre, 0 at the rim
    return falloff * (0.85 + 0.15 * Billow(x, y));
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.bmp\n", argv[0]);
        return 2;
    }
    const std::uint32_t pixelBytes = kSide * kSide * 3;  // rows need no filler at this width
    std::vector<unsigned char> file;
    file.push_back('B');
    file.push_back('M');
    Put32(file, 14 + 40 + pixelBytes);
    Put32(file, 0);
    Put32(file, 14 + 40);
    Put32(file, 40);
    Put32(file, kSide);
    Put32(file, kSide);
    Put16(file, 1);
    Put16(file, 24);
    for (int field = 0; field < 6; ++field) Put32(file, field == 1 ? pixelBytes : 0);

    for (int row = 0; row < kSide; ++row) {
        for (int column = 0; column < kSide; ++column) {
            const double x = (column + 0.5) / kSide * 2.0 - 1.0;
            const double y = (row + 0.5) / kSide * 2.0 - 1.0;
            const double value = Puff(x, y);
            const auto level = static_cast<unsigned char>(std::lround(255.0 * (value < 0 ? 0 : value)));
            // Blue, green, red: a faintly warm grey.
            file.push_back(static_cast<unsigned char>(level * 0.94));
            file.push_back(static_cast<unsigned char>(level * 0.97));
            file.push_back(level);
        }
    }

    std::FILE *out = std::fopen(argv[1], "wb");
    if (!out || std::fwrite(file.data(), 1, file.size(), out) != file.size() || std::fclose(out) != 0) {
        std::fprintf(stderr, "make_particle_sprite: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
