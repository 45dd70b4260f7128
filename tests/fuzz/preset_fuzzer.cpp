// libFuzzer target: any bytes at all, loaded as a preset file; whatever
// loads must save and load back to the same values. Run under
// AddressSanitizer and UndefinedBehaviorSanitizer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "values/preset_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const PresetLoad load = ParsePreset(std::string_view(reinterpret_cast<const char *>(data), size), "fuzz.toml");
    if (!load.ok) return 0;
    const PresetLoad again = ParsePreset(FormatPreset(load.params, "1.0.0"), "again.toml");
    if (!again.ok || !(again.params == load.params)) std::abort();
    return 0;
}
