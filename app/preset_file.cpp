#include "app/preset_file.h"

#include <stdexcept>

// toml++ 3.3 and 3.4 state one precondition of their key parser as an
// assumption in optimised builds, and a malformed table header ("[[[1]]]")
// breaks it: undefined behaviour. Their checks are kept in every build and
// made to throw, which the loader reports as a file that is not TOML.
namespace {
[[noreturn]] void TomlCheckFailed(const char *check) { throw std::logic_error(check); }
}  // namespace
#ifdef NDEBUG
#undef NDEBUG
#define NIMBREL_NDEBUG_WAS_SET
#endif
#define TOML_ASSERT(expr) ((expr) ? static_cast<void>(0) : TomlCheckFailed(#expr))
#define TOML_HEADER_ONLY 1
#include <toml++/toml.h>
#ifdef NIMBREL_NDEBUG_WAS_SET
#define NDEBUG
#endif

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "app/readout_text.h"
#include "image/input_file.h"
#include "sim/particles.h"

namespace {

using P = SimulationParameters;

enum class Kind { Number, Count, Flag };

struct Named {
    const char *name;
    Kind kind;
    float P::*number = nullptr;
    bool P::*flag = nullptr;
    double low = 0.0, high = 0.0;  // for numbers
};

// A number the keys reach: one step past either limit of the controls.
Named Keyed(const char *name, const TunedValue &tuned) {
    return {name, Kind::Number, tuned.value, nullptr, tuned.low - tuned.step, tuned.high + tuned.step};
}

constexpr double kFree = 1e6;  // the spin and the drag angles have no limit

// In the order of the controls table, as a preset file lists them.
std::vector<Named> Names() {
    const TunedValue *t = TunedValues();
    return {
        Keyed("drift_speed", t[0]),
        Keyed("vertical_spread", t[1]),
        Keyed("depth_spread", t[2]),
        Keyed("turbulence", t[3]),
        Keyed("lifetime", t[4]),
        Keyed("damping", t[5]),
        {"particles", Kind::Count},
        Keyed("opacity", t[7]),
        Keyed("sprite_size", t[8]),
        Keyed("emitter_size", t[9]),
        Keyed("emitter_position", t[10]),
        Keyed("camera_distance", t[11]),
        {"spin", Kind::Number, &P::spinAngle, nullptr, -kFree, kFree},
        {"fade_out", Kind::Flag, nullptr, &P::fadeOut},
        {"fade_in", Kind::Flag, nullptr, &P::fadeIn},
        {"yaw", Kind::Number, &P::yawAngle, nullptr, -kFree, kFree},
        {"pitch", Kind::Number, &P::pitchAngle, nullptr, -kFree, kFree},
    };
}

constexpr const char *kVersionName = "nimbrel";

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// The shortest TOML float that reads back as the same float: "0.2" for
// 0.2f, where toml++ writes the double 0.20000000298023224, so that a saved
// preset reads as a person would write it.
std::string ShortestFloat(float value) {
    char text[64];
    const std::to_chars_result end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    std::string shown(text, end.ptr);
    if (shown.find('.') == std::string::npos) shown += ".0";  // a float, not a whole number
    return shown;
}

std::string KnownNames() {
    std::string names = kVersionName;
    for (const Named &named : Names()) names += std::string(", ") + named.name;
    return names;
}

// Applies one value; on a problem, says what is allowed.
bool Apply(const Named &named, const toml::node &node, P &params, std::string &problem) {
    switch (named.kind) {
    case Kind::Flag:
        if (!node.is_boolean()) {
            problem = "must be true or false";
            return false;
        }
        params.*named.flag = node.as_boolean()->get();
        return true;
    case Kind::Count: {
        const auto count = node.value_exact<std::int64_t>();
        if (!count || *count < 0 || *count > kPoolSize || *count % 2000 != 0) {
            problem = "must be a whole multiple of 2000 from 0 to 100000";
            return false;
        }
        SetParticleCount(params, static_cast<std::int32_t>(*count));
        return true;
    }
    case Kind::Number: {
        const auto value = node.value<double>();  // a whole number is a number too
        // Keys step in float arithmetic, whose roundings may end a little
        // past the exact limit: a millionth is allowed for them.
        const float stored = value ? static_cast<float>(*value) : 0.0f;
        const auto slack = [](double bound) { return 1e-6 * std::max(1.0, std::fabs(bound)); };
        if (!value || !(node.is_floating_point() || node.is_integer()) || !std::isfinite(*value) ||
            stored < named.low - slack(named.low) || stored > named.high + slack(named.high)) {
            problem = "must be a number from " + Number(named.low) + " to " + Number(named.high);
            return false;
        }
        params.*named.number = stored;
        return true;
    }
    }
    return false;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsBareKeyChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

// A preset is flat: blank lines, comments and `name = value` lines with a
// bare name and a value on its line. toml++ recurses once per level of a
// dotted name, a table, an array or an inline table, so these are refused
// before it parses: any input up to the size limit then parses in a small,
// fixed stack. The number of the first line that breaks the rule; 0 when
// none does.
std::size_t FirstNonFlatLine(std::string_view text) {
    std::size_t number = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        ++number;
        std::size_t i = start;
        while (i < end && IsBlank(text[i])) ++i;
        const bool blank = i == end || text[i] == '\r' || text[i] == '#';
        if (!blank) {
            const std::size_t name = i;
            while (i < end && IsBareKeyChar(text[i])) ++i;
            const bool named = i > name;
            while (i < end && IsBlank(text[i])) ++i;
            if (!named || i == end || text[i] != '=') return number;
            for (++i; i < end && IsBlank(text[i]);) ++i;
            const std::string_view value = text.substr(i, end - i);
            if (value.empty() || value[0] == '[' || value[0] == '{' || value.substr(0, 3) == "\"\"\"" ||
                value.substr(0, 3) == "'''")
                return number;
        }
        start = end + 1;
    }
    return 0;
}

}  // namespace

PresetLoad ParsePreset(std::string_view text, const std::string &fileName) {
    PresetLoad load;
    const auto fail = [&](std::size_t line, const std::string &what) {
        load.ok = false;
        load.params = SimulationParameters{};
        load.error = fileName + ": " + (line > 0 ? "line " + std::to_string(line) + ": " : "") + what;
        return load;
    };
    if (text.size() > kMaxPresetBytes) return fail(0, "larger than 64 KiB");
    // toml++ 3.3 and 3.4 reach undefined behaviour classifying some
    // characters beyond ASCII (U+028A, for one), and a preset needs none:
    // its names, numbers and version are ASCII.
    std::size_t line = 1;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) > 0x7E || (c < 0x20 && c != '\n' && c != '\r' && c != '\t'))
            return fail(line, "only printable ASCII text is allowed, in comments too");
        line += c == '\n';
    }
    if (const std::size_t nonFlat = FirstNonFlatLine(text))
        return fail(nonFlat, "a preset holds only name = value lines, one a line: no tables, arrays or dotted names");
    toml::table table;
    try {
        table = toml::parse(text, fileName);
    } catch (const toml::parse_error &error) {
        return fail(error.source().begin.line, "not a valid TOML file: " + std::string(error.description()));
    } catch (const std::logic_error &) {
        return fail(0, "not a valid TOML file");
    }

    P params;
    const std::vector<Named> names = Names();
    for (auto &&[key, node] : table) {
        const std::size_t line = key.source().begin.line;
        const std::string name(key.str());
        if (name == kVersionName) {
            if (!node.is_string())
                return fail(line, std::string(kVersionName) + ": must be a version in quotes, such as \"1.0.0\"");
            continue;
        }
        const Named *named = nullptr;
        for (const Named &candidate : names)
            if (name == candidate.name) named = &candidate;
        if (!named) return fail(line, "unknown name \"" + name + "\" (known: " + KnownNames() + ")");
        std::string problem;
        if (!Apply(*named, node, params, problem)) return fail(line, name + ": " + problem);
    }
    load.ok = true;
    load.params = params;
    return load;
}

PresetLoad ReadPresetFile(const std::string &path) {
    std::string text;
    PresetLoad load;
    const InputFileRead read = ReadInputFile(path, kMaxPresetBytes, text);
    if (read == InputFileRead::Ok) return ParsePreset(text, path);
    load.error = path + ": " + (read == InputFileRead::TooLarge ? "larger than 64 KiB" : InputFileProblem(read));
    return load;
}

std::string FormatPreset(const SimulationParameters &params, const std::string &version) {
    std::ostringstream out;
    out << "# Nimbrel preset: the tuned values, the fades and the drag angles.\n"
        << "# Names left out keep their start values.\n"
        << kVersionName << " = " << toml::value<std::string>(version) << "\n";
    for (const Named &named : Names()) {
        out << named.name << " = ";
        switch (named.kind) {
        case Kind::Flag: out << toml::value<bool>(params.*named.flag); break;
        case Kind::Count: out << toml::value<std::int64_t>(params.particleCount); break;
        case Kind::Number: out << ShortestFloat(params.*named.number); break;
        }
        out << "\n";
    }
    return out.str();
}
