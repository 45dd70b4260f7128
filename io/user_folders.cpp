// The user's folders, as freedesktop names them.
#include "io/user_folders.h"

#include <cstdlib>

std::filesystem::path UserFolder(const char *variable, const char *homeFallback, const char *sub) {
    const char *set = std::getenv(variable);
    if (set && *set == '/') return std::filesystem::path(set) / "nimbrel" / sub;
    const char *home = std::getenv("HOME");
    if (home && *home) return std::filesystem::path(home) / homeFallback / "nimbrel" / sub;
    return {};
}
