// Files replaced all or nothing, synced, never through a link at the name.
#include "io/replacement_file.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <cstdlib>
#include <cstring>

namespace {

// Creates a new file `stem`.XXXXXX`extension`, with six random letters in
// place of the Xs, as fopen would make it: mode 0666 less the umask, which
// the kernel applies, so the process-wide umask is never touched. Close on
// exec, so that no program started meanwhile inherits it. The descriptor,
// or -1 with errno set.
int CreateTemporary(const std::string &stem, const std::string &extension, std::string &path) {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[6];
        if (getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) return -1;
        std::string name = stem + ".";
        for (unsigned char byte : random) name += kLetters[byte % (sizeof kLetters - 1)];
        name += extension;
        const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            path = name;
            return fd;
        }
        if (errno != EEXIST) return -1;
    }
    errno = EEXIST;
    return -1;
}

}  // namespace

ReplacementFile::~ReplacementFile() { Discard(); }

bool ReplacementFile::Open(const std::string &path) {
    Discard();
    target_ = path;
    bool replacing = false;
    mode_t mode = 0;

    // What is at the name itself, a link not followed: a link planted in a
    // shared folder must not lead the write elsewhere.
    struct stat existing {};
    if (lstat(path.c_str(), &existing) == 0 && !S_ISLNK(existing.st_mode)) {
        // A rename needs only the folder's permission; refuse what fopen
        // would refuse, so a file kept read-only stays untouched.
        if (S_ISDIR(existing.st_mode)) {
            errno = EISDIR;
            return false;
        }
        if (faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) return false;
        if (!S_ISREG(existing.st_mode)) {
            errno = EINVAL;  // a device or pipe is not replaced
            return false;
        }
        replacing = true;
        mode = existing.st_mode & 07777;
    }

    // The target's extension comes last, for programs that pick a format
    // from the name.
    const std::size_t slash = target_.rfind('/');
    const std::size_t dot = target_.rfind('.');
    const std::string extension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash + 1) ? target_.substr(dot) : "";
    const int fd = CreateTemporary(target_, extension, temporary_);
    if (fd < 0) return false;
    // The file it replaces keeps its permission bits.
    if (replacing) fchmod(fd, mode);
    file_ = fdopen(fd, "wb");
    if (!file_) {
        close(fd);
        unlink(temporary_.c_str());
        temporary_.clear();
        return false;
    }
    return true;
}

namespace {

// The folder holding `path`, synced so that a rename in it is on the disk.
bool SyncFolderOf(const std::string &path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = fsync(fd) == 0;
    const int reason = errno;
    close(fd);
    errno = reason;
    return synced;
}

}  // namespace

bool ReplacementFile::Commit() {
    if (!file_) return false;
    const bool synced = durability_ == Durability::Unsynced ||
                        (std::fflush(file_) == 0 && fsync(fileno(file_)) == 0);
    const bool written = std::ferror(file_) == 0 && synced;
    const int reason = errno;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (written && closed && std::rename(temporary_.c_str(), target_.c_str()) == 0) {
        temporary_.clear();
        // The new file is in place either way; a folder that cannot be
        // synced leaves only the rename to the kernel.
        if (durability_ == Durability::Synced) SyncFolderOf(target_);
        return true;
    }
    if (!written) errno = reason;
    Discard();
    return false;
}

void ReplacementFile::Discard() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    if (!temporary_.empty()) unlink(temporary_.c_str());
    temporary_.clear();
}

bool ReplaceFileWith(const std::string &path, const std::string &text, std::string &error) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::error_code code;
    if (!folder.empty()) std::filesystem::create_directories(folder, code);
    if (code) {
        error = "cannot make " + folder.string() + ": " + code.message();
        return false;
    }
    ReplacementFile file;
    if (!file.Open(path) || std::fwrite(text.data(), 1, text.size(), file.Stream()) != text.size() ||
        !file.Commit()) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}
