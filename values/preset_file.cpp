// The preset file: flat TOML read through toml++ and written back.
#include "values/preset_file.h"

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
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "io/text.h"
#include "values/tuned_values.h"

namespace {

constexpr const char *kVersionName = "nimbrel";

std::string KnownNames() {
    std::string names = kVersionName;
    for (const TunedValue &row : kTunedValues) names += std::string(", ") + row.name;
    return names;
}

// Applies one value; on a problem, says what is allowed.
bool Apply(const TunedValue &row, const toml::node &node, SimulationParameters &params, std::string &problem) {
    if (node.is_boolean()) return SetValue(row, node.as_boolean()->get(), params, problem);
    // A count is a whole number; any other number may be either.
    const bool number = row.kind == ValueKind::Count ? node.is_integer() : node.is_number();
    const auto value = node.value<double>();
    if (number && value) return SetValue(row, *value, params, problem);
    return SetValue(row, std::nan(""), params, problem);  // refused, in its own words
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
            const bool row = i > name;
            while (i < end && IsBlank(text[i])) ++i;
            if (!row || i == end || text[i] != '=') return number;
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

// A preset's text on top of `base`; `lines` says whether the messages
// name a line (a file's do, a single setting's need not).
PresetLoad ParsePresetOnto(std::string_view text, const std::string &fileName, const SimulationParameters &base,
                           bool lines) {
    PresetLoad load;
    const auto fail = [&](std::size_t line, const std::string &what) {
        load.ok = false;
        load.params = SimulationParameters{};
        load.error = LineProblem(fileName, lines ? line : 0, what);
        return load;
    };
    if (text.size() > kMaxPresetBytes) return fail(0, "larger than " + SizeWords(kMaxPresetBytes));
    // toml++ 3.3 and 3.4 reach undefined behaviour classifying some
    // characters beyond ASCII (U+028A, for one), and a preset needs none:
    // its names, numbers and version are ASCII.
    if (const std::size_t line = FirstNonTextLine(text)) return fail(line, kOnlyText);
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

    SimulationParameters params = base;
    for (auto &&[key, node] : table) {
        const std::size_t line = key.source().begin.line;
        const std::string name(key.str());
        if (name == kVersionName) {
            if (!node.is_string())
                return fail(line, std::string(kVersionName) + ": must be a version in quotes, such as \"1.0.0\"");
            continue;
        }
        const TunedValue *row = FindValue(name);
        if (!row) return fail(line, "unknown name \"" + name + "\" (known: " + KnownNames() + ")");
        std::string problem;
        if (!Apply(*row, node, params, problem)) return fail(line, name + ": " + problem);
    }
    load.ok = true;
    load.params = params;
    return load;
}

}  // namespace

PresetLoad ParsePreset(std::string_view text, const std::string &fileName) {
    return ParsePresetOnto(text, fileName, SimulationParameters{}, true);
}

bool ApplySetting(const std::string &setting, SimulationParameters &params, std::string &error) {
    const std::string where = "--set " + setting;
    const std::size_t equals = setting.find('=');
    const std::string name = setting.substr(0, equals);
    if (equals == std::string::npos || name.empty() || name.find_first_of(" \t") != std::string::npos ||
        setting.find_first_of("\r\n") != std::string::npos) {
        error = where + ": must be NAME=VALUE, such as particles=20000";
        return false;
    }
    if (!FindValue(name)) {
        error = where + ": unknown name \"" + name + "\" (known: " + KnownNames().substr(std::string(kVersionName).size() + 2) + ")";
        return false;
    }
    // One line of a preset, checked as any other.
    const PresetLoad load = ParsePresetOnto(setting + "\n", where, params, false);
    if (!load.ok) {
        error = load.error;
        return false;
    }
    params = load.params;
    return true;
}

PresetLoad ReadPresetFile(const std::string &path) {
    std::string text;
    PresetLoad load;
    if (ReadTextFile(path, kMaxPresetBytes, text, load.error)) return ParsePreset(text, path);
    return load;
}

std::string FormatPreset(const SimulationParameters &params, const std::string &version) {
    std::ostringstream out;
    out << "# Nimbrel preset: the tuned values, the fades and the drag angles.\n"
        << "# Names left out keep their start values.\n"
        << kVersionName << " = " << toml::value<std::string>(version) << "\n";
    // The values' texts are TOML as they stand: true, 4000, 0.2.
    for (const TunedValue &row : kTunedValues) out << row.name << " = " << ValueText(row, params) << "\n";
    return out.str();
}
