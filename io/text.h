// What the text formats share: reading a text file from outside within a
// size, the one shape of their messages ("FILE: line N: what"), the check
// that a text is printable ASCII, and the small readers of numbers, sizes
// and names they all need.
#pragma once

#include <charconv>
#include <cstddef>
#include <string>
#include <string_view>

// Reads the file at `path` as a file from outside (io/input_file.h) within
// `maxBytes`. False, with `error` naming the file and the problem ("PATH:
// larger than 64 KiB", "PATH: is not a regular file"), when it cannot.
bool ReadTextFile(const std::string &path, std::size_t maxBytes, std::string &text, std::string &error);

// A size limit in words: "64 KiB", "32 MiB".
std::string SizeWords(std::size_t bytes);

// "FILE: line N: WHAT", or "FILE: WHAT" for line 0.
std::string LineProblem(const std::string &file, std::size_t line, const std::string &what);

// The number of the first line holding anything but printable ASCII, tabs
// and line ends; 0 when none does.
std::size_t FirstNonTextLine(std::string_view text);
constexpr const char *kOnlyText = "only printable ASCII text is allowed, in comments too";

enum class NumberRead { Ok, NotANumber, TooLarge };

// A whole decimal number, the whole text (a sign only where `Integer` has
// one; leading zeros are fine).
template <typename Integer>
NumberRead ReadWhole(std::string_view text, Integer &value) {
    const char *end = text.data() + text.size();
    const auto [stop, problem] = std::from_chars(text.data(), end, value);
    if (text.empty() || stop != end || problem == std::errc::invalid_argument) return NumberRead::NotANumber;
    return problem == std::errc::result_out_of_range ? NumberRead::TooLarge : NumberRead::Ok;
}

// A decimal number, the whole text: "0.5", "-4", "1e3".
bool ReadDecimal(std::string_view text, double &value);

// WIDTHxHEIGHT, each side a whole number: NotANumber when the text has not
// that shape, TooLarge when a side is too large to hold.
NumberRead ReadSize(std::string_view text, long &width, long &height);

bool EndsWith(std::string_view text, std::string_view suffix);
// A path's extension in lower case: ".mp4" for "Clip.MP4"; "" for none.
std::string LowerExtension(const std::string &path);
