// Where the user's files live, as freedesktop says: presets under
// XDG_CONFIG_HOME, recordings under XDG_DATA_HOME.
#pragma once

#include <string>

// $VARIABLE/nimbrel/SUB when the variable holds an absolute path, else
// $HOME/HOME_FALLBACK/nimbrel/SUB; "" when neither names a folder.
std::string UserFolder(const char *variable, const char *homeFallback, const char *sub);
