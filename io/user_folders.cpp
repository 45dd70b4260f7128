#include "io/user_folders.h"

#include <cstdlib>

std::string UserFolder(const char *variable, const char *homeFallback, const char *sub) {
    const char *set = std::getenv(variable);
    if (set && *set == '/') return std::string(set) + "/nimbrel/" + sub;
    const char *home = std::getenv("HOME");
    if (home && *home) return std::string(home) + "/" + homeFallback + "/nimbrel/" + sub;
    return "";
}
