// The latest outcome of something the user asked for (a preset saved, a
// recording kept), shown in the panel and, when told, printed as one line
// on the standard output.
#pragma once

#include <string>

struct Outcome {
    std::string latest;

    // Shows `outcome` in the panel and prints it as a line.
    void Tell(const std::string &outcome);
    // Shows it in the panel only: a remark on typing, not an outcome.
    void Show(const std::string &outcome) { latest = outcome; }
};
