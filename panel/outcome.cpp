// The latest outcome the panel shows, told on screen and on the standard
// output too.
#include "panel/outcome.h"

#include "io/user_message.h"

void Outcome::Tell(const std::string &outcome) {
    latest = outcome;
    notices.Tell(outcome);
    PrintOutputLine(outcome + "\n");
}
