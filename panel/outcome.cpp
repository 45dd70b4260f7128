#include "panel/outcome.h"

#include "io/user_message.h"

void Outcome::Tell(const std::string &outcome) {
    latest = outcome;
    PrintOutputLine(outcome + "\n");
}
