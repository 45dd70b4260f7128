// libFuzzer target: any bytes at all, decoded as a BMP or bare DIB file.
// Run under AddressSanitizer and UndefinedBehaviorSanitizer.
#include <cstddef>
#include <cstdint>

#include "image/dib_loader.h"
#include "app/user_message.h"

namespace {
void Discard(MessageStyle, const char *, const char *) {}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static const bool quiet = (SetMessageSink(Discard), true);
    (void)quiet;
    FreeImageRecord(DecodeDibImage(data, size));
    return 0;
}
