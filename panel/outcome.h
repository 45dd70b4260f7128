// The latest outcome of something the user asked for (a preset saved, a
// recording kept), shown in the panel, as a notice on screen, and as one
// line on the standard output.
#pragma once

#include <string>

#include "panel/notices.h"

struct Outcome {
    std::string latest;
    Notices notices;

    // Shows `outcome` in the panel and as a notice, and prints it as a
    // line.
    void Tell(const std::string &outcome);
    // Shows it in the panel only: a remark on typing, not an outcome.
    void Show(const std::string &outcome) { latest = outcome; }
    // A question replaces what was said before it.
    void Clear() { latest.clear(); }
};
