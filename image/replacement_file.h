// Writing a file all or nothing: the new content goes to a temporary file
// beside the target and is renamed over it only once complete, so a failed
// write never leaves a damaged file or replaces a good one.
#pragma once

#include <cstdio>
#include <string>

class ReplacementFile {
public:
    ReplacementFile() = default;
    ~ReplacementFile();  // discards the temporary file unless committed
    ReplacementFile(const ReplacementFile &) = delete;
    ReplacementFile &operator=(const ReplacementFile &) = delete;

    // Starts the temporary file for `path`. False when the target cannot be
    // opened for writing as a plain fopen would find it: a directory, an
    // existing file the user may not write, a folder that takes no new file.
    // A symbolic link is followed, so the file it names is replaced. On
    // failure errno says why.
    bool Open(const std::string &path);

    std::FILE *Stream() const { return file_; }
    // The temporary file's name, which ends in the target's extension, for
    // a program that writes the content itself.
    const std::string &TemporaryPath() const { return temporary_; }

    // Closes the temporary file and moves it into place with the
    // permission bits of the file it replaces (those of a new file when
    // there was none). False, with the target untouched, when any write,
    // the close or the rename failed.
    bool Commit();

    // Closes and removes the temporary file; the target stays as it was.
    void Discard();

private:
    std::FILE *file_ = nullptr;
    std::string target_;
    std::string temporary_;
};
