// Where the user's files live, as freedesktop says: presets under
// XDG_CONFIG_HOME, recordings under XDG_DATA_HOME.
#pragma once

#include <filesystem>

// $VARIABLE/nimbrel/SUB when the variable holds an absolute path, else
// $HOME/HOME_FALLBACK/nimbrel/SUB; empty when neither names a folder.
std::filesystem::path UserFolder(const char *variable, const char *homeFallback, const char *sub);
