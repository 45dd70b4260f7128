// Writing a file all or nothing: the new content goes to a temporary file
// beside the target and is renamed over it only once complete, so a failed
// write never leaves a damaged file or replaces a good one. What the user
// keeps is synced to the disk before the rename, and the folder after it,
// so a power loss leaves the old file or the new one, never an empty one.
#pragma once

#include <cstdio>
#include <string>

enum class Durability {
    Synced,    // the file, then its folder, reach the disk before Commit returns
    Unsynced,  // left to the kernel: frames that can be made again
};

class ReplacementFile {
public:
    explicit ReplacementFile(Durability durability = Durability::Synced) : durability_(durability) {}
    ~ReplacementFile();  // discards the temporary file unless committed
    ReplacementFile(const ReplacementFile &) = delete;
    ReplacementFile &operator=(const ReplacementFile &) = delete;

    // Starts the temporary file for `path`. False when the target cannot be
    // opened for writing as a plain fopen would find it: a directory, an
    // existing file the user may not write, a folder that takes no new file;
    // or when it is a FIFO, socket or device. A symbolic link at that name
    // is never followed: the new file replaces the link itself, as a rename
    // does, and nothing outside the named folder is written. On failure
    // errno says why.
    bool Open(const std::string &path);

    std::FILE *Stream() const { return file_; }
    // The temporary file's name, which ends in the target's extension, for
    // a program that writes the content itself.
    const std::string &TemporaryPath() const { return temporary_; }

    // Closes the temporary file and moves it into place with the
    // permission bits of the regular file it replaces (those of a new file
    // when there was none, or a link). False, with the target untouched,
    // when any write, the sync, the close or the rename failed.
    bool Commit();

    // Closes and removes the temporary file; the target stays as it was.
    void Discard();

private:
    Durability durability_;
    std::FILE *file_ = nullptr;
    std::string target_;
    std::string temporary_;
};

// Replaces the file at `path` with `text`, all or nothing and synced, its
// folder made first when missing. False, with `error` saying why ("cannot
// make FOLDER: reason", or "PATH: reason"), when it cannot.
bool ReplaceFileWith(const std::string &path, const std::string &text, std::string &error);
