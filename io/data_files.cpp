#include "io/data_files.h"

#include <sys/stat.h>

namespace {

bool Exists(const std::string &path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0;
}

}  // namespace

std::string FindDataFile(const std::string &name, const std::string &programFolder) {
    const std::string local = "./" + name;
    if (Exists(local) || programFolder.empty()) return local;
    const std::string installed = programFolder + "../share/nimbrel/" + name;
    return Exists(installed) ? installed : local;
}
