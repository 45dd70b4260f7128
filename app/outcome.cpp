#include "app/outcome.h"

#include "app/user_message.h"

namespace {
std::string latest;
}  // namespace

void TellOutcome(const std::string &outcome) {
    latest = outcome;
    PrintOutputLine(outcome + "\n");
}

void ShowOutcome(const std::string &outcome) { latest = outcome; }

const std::string &LatestOutcome() { return latest; }
