// Reading a file handed over from outside (a preset, a key script, the
// sprite) whole, safely whatever it is: opened without blocking, so a FIFO
// or a device never waits for a writer; close on exec; checked to be a
// regular file before a byte is read; refused beyond a size limit before
// it is all read.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

enum class InputFileRead {
    Ok,
    Unreadable,  // cannot be opened or read; errno says why
    NotRegular,  // a folder, FIFO, socket or device
    TooLarge,    // more than the limit
};

// Reads the file at `path` into `bytes`, which is left alone unless Ok.
InputFileRead ReadInputFile(const std::string &path, std::size_t maxBytes, std::string &bytes);

// What went wrong, for a message after the file's name: "is not a regular
// file", "cannot read it: No such file or directory". Call right after the
// read, while errno still holds its reason; "" for Ok and TooLarge, whose
// limit the caller words.
std::string InputFileProblem(InputFileRead outcome);
