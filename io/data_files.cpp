// Where the program's data is found: the working directory, then the installed copy.
#include "io/data_files.h"

namespace fs = std::filesystem;

fs::path DataFolder(const std::string &programFolder) {
    if (programFolder.empty()) return {};
    return fs::path(programFolder) / ".." / "share" / "nimbrel";
}

std::string FindDataFile(const std::string &name, const std::string &programFolder) {
    std::error_code code;
    const std::string local = "./" + name;
    if (fs::exists(local, code) || programFolder.empty()) return local;
    const fs::path installed = DataFolder(programFolder) / name;
    return fs::exists(installed, code) ? installed.string() : local;
}
