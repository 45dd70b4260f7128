// libFuzzer target: any bytes at all, parsed as a capture's key script and
// as the command line's arguments. Run under AddressSanitizer and
// UndefinedBehaviorSanitizer.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "capture/options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    std::vector<ScriptedPress> presses;
    std::string error;
    ParseKeyScript(text, 600, presses, error);

    // The same bytes as arguments, split at zero bytes; no @FILE reads.
    std::vector<std::string> args(1);
    for (char c : text) {
        if (c == '\0') args.emplace_back();
        else args.back() += c;
    }
    for (const std::string &arg : args)
        if (arg.find('@') != std::string::npos) return 0;
    ParseCaptureOptions(args);
    return 0;
}
