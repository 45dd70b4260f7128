// Reading a small text file the user hands the program (a key script, a
// preset) whole, refusing one beyond a size limit before it is all read.
#pragma once

#include <cstddef>
#include <string>

enum class TextFileRead { Ok, Unreadable, TooLarge };

// Reads the file at `path` into `text`, which is left alone unless Ok.
TextFileRead ReadTextFile(const std::string &path, std::size_t maxBytes, std::string &text);
