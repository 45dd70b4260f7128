#include "app/outcome.h"

#include "app/user_message.h"

void Outcome::Tell(const std::string &outcome) {
    latest = outcome;
    PrintOutputLine(outcome + "\n");
}
