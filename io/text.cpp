// What the text formats share: reading, messages, the ASCII check, numbers.
#include "io/text.h"

#include <cctype>
#include <filesystem>

#include "io/input_file.h"

bool ReadTextFile(const std::string &path, std::size_t maxBytes, std::string &text, std::string &error) {
    const InputFileRead read = ReadInputFile(path, maxBytes, text);
    if (read == InputFileRead::Ok) return true;
    error = path + ": " + (read == InputFileRead::TooLarge ? "larger than " + SizeWords(maxBytes) : InputFileProblem(read));
    return false;
}

std::string SizeWords(std::size_t bytes) {
    constexpr std::size_t kMiB = std::size_t{1} << 20;
    if (bytes % kMiB == 0) return std::to_string(bytes / kMiB) + " MiB";
    return std::to_string(bytes >> 10) + " KiB";
}

std::string LineProblem(const std::string &file, std::size_t line, const std::string &what) {
    return file + ": " + (line > 0 ? "line " + std::to_string(line) + ": " : "") + what;
}

std::size_t FirstNonTextLine(std::string_view text) {
    std::size_t line = 1;
    for (const char c : text) {
        if (static_cast<unsigned char>(c) > 0x7E || (c < 0x20 && c != '\n' && c != '\r' && c != '\t')) return line;
        line += c == '\n';
    }
    return 0;
}

bool ReadDecimal(std::string_view text, double &value) {
    const char *end = text.data() + text.size();
    const auto [stop, problem] = std::from_chars(text.data(), end, value);
    return !text.empty() && stop == end && problem == std::errc();
}

NumberRead ReadSize(std::string_view text, long &width, long &height) {
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string_view::npos) return NumberRead::NotANumber;
    const NumberRead wide = ReadWhole(text.substr(0, x), width), high = ReadWhole(text.substr(x + 1), height);
    if (wide == NumberRead::NotANumber || high == NumberRead::NotANumber) return NumberRead::NotANumber;
    return wide == NumberRead::TooLarge || high == NumberRead::TooLarge ? NumberRead::TooLarge : NumberRead::Ok;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::string LowerExtension(const std::string &path) {
    std::string extension = std::filesystem::path(path).extension().string();
    for (char &c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}
