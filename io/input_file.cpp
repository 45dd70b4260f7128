// Files from outside read whole, safely, whatever they are.
#include "io/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

InputFileRead ReadInputFile(const std::string &path, std::size_t maxBytes, std::string &bytes) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return InputFileRead::Unreadable;
    struct stat status {};
    InputFileRead outcome = InputFileRead::Ok;
    if (fstat(fd, &status) != 0)
        outcome = InputFileRead::Unreadable;
    else if (!S_ISREG(status.st_mode))
        outcome = InputFileRead::NotRegular;
    else if (static_cast<unsigned long long>(status.st_size) > maxBytes)
        outcome = InputFileRead::TooLarge;
    std::string read;
    // The size may change while it is read: the limit holds for what is read.
    char buffer[8192];
    while (outcome == InputFileRead::Ok) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) outcome = InputFileRead::Unreadable;
        if (n <= 0) break;
        read.append(buffer, static_cast<std::size_t>(n));
        if (read.size() > maxBytes) outcome = InputFileRead::TooLarge;
    }
    const int reason = errno;
    close(fd);
    errno = reason;
    if (outcome == InputFileRead::Ok) bytes = std::move(read);
    return outcome;
}

std::string InputFileProblem(InputFileRead outcome) {
    switch (outcome) {
    case InputFileRead::Unreadable: return std::string("cannot read it: ") + std::strerror(errno);
    case InputFileRead::NotRegular: return "is not a regular file";
    case InputFileRead::Ok:
    case InputFileRead::TooLarge: break;
    }
    return "";
}
