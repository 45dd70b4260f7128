#include "image/replacement_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

// The permission bits fopen would give a new file.
mode_t NewFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

}  // namespace

ReplacementFile::~ReplacementFile() { Discard(); }

bool ReplacementFile::Open(const std::string &path) {
    Discard();
    target_ = path;
    mode_t mode = NewFileMode();

    struct stat existing {};
    if (stat(path.c_str(), &existing) == 0) {
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
        mode = existing.st_mode & 07777;
        char resolved[PATH_MAX];
        if (realpath(path.c_str(), resolved)) target_ = resolved;
    }

    // The target's extension comes last, for programs that pick a format
    // from the name.
    const std::size_t slash = target_.rfind('/');
    const std::size_t dot = target_.rfind('.');
    const std::string extension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash + 1) ? target_.substr(dot) : "";
    temporary_ = target_ + ".XXXXXX" + extension;
    const int fd = mkstemps(&temporary_[0], static_cast<int>(extension.size()));
    if (fd < 0) {
        temporary_.clear();
        return false;
    }
    fchmod(fd, mode);
    file_ = fdopen(fd, "wb");
    if (!file_) {
        close(fd);
        unlink(temporary_.c_str());
        temporary_.clear();
        return false;
    }
    return true;
}

bool ReplacementFile::Commit() {
    if (!file_) return false;
    const bool written = std::ferror(file_) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (written && closed && std::rename(temporary_.c_str(), target_.c_str()) == 0) {
        temporary_.clear();
        return true;
    }
    Discard();
    return false;
}

void ReplacementFile::Discard() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    if (!temporary_.empty()) unlink(temporary_.c_str());
    temporary_.clear();
}
