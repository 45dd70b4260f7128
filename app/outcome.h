// The latest outcome of something the user asked for (a preset saved, a
// recording kept), shown in the panel and, when told, printed as one line
// on the standard output.
#pragma once

#include <string>

// Shows `outcome` in the panel and prints it as a line.
void TellOutcome(const std::string &outcome);
// Shows it in the panel only: a remark on typing, not an outcome.
void ShowOutcome(const std::string &outcome);
const std::string &LatestOutcome();
