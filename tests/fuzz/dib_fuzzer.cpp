// libFuzzer target: any bytes at all, decoded as a BMP or bare DIB file.
// Run under AddressSanitizer and UndefinedBehaviorSanitizer.
#include <cstddef>
#include <cstdint>

#include "image/dib_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    FreeImageRecord(DecodeDibImage(data, size).image);
    return 0;
}
