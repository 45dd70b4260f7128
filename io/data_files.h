// Where the program finds the files it reads: the working directory first,
// so that a user's own copy wins, then the installed copy in
// share/nimbrel/ beside the program's folder (<bin>/../share/nimbrel/), so
// that an installed tree can be moved. No absolute path is compiled in.
#pragma once

#include <filesystem>
#include <string>

// The installed data beside a program in `programFolder`
// (<bin>/../share/nimbrel); empty for an unknown folder ("").
std::filesystem::path DataFolder(const std::string &programFolder);

// The path to read `name` from: "./NAME" when the working directory has
// it, else the installed copy when there is one, else "./NAME" (whose
// failure to open the caller then reports). `programFolder` ends in '/';
// with "" only the working directory is looked at.
std::string FindDataFile(const std::string &name, const std::string &programFolder);
