// libFuzzer target: any bytes at all, loaded as a recording; whatever
// loads must write and load back to the same text. Run under
// AddressSanitizer and UndefinedBehaviorSanitizer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "values/recording.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const RecordingLoad load = ParseRecording(std::string_view(reinterpret_cast<const char *>(data), size), "fuzz.rec");
    if (!load.ok) return 0;
    const std::string text = FormatRecording(load.recording);
    const RecordingLoad again = ParseRecording(text, "again.rec");
    if (!again.ok || FormatRecording(again.recording) != text) std::abort();
    return 0;
}
