// The command lines of the program and its tools, taken apart by CLI11:
// `--name value` or `--name=value`, in any order, the last of a repeated
// option winning. Every problem comes back as one line naming it.
#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
}

// -h/--help and --version, which every command line has.
struct StandardFlags {
    bool help = false;
    bool version = false;
};

// Sets `app` up as every command line here is: the two flags above, the
// last of a repeated option winning, unknown words kept for a plain
// message.
void PrepareCommandLine(CLI::App &app, StandardFlags &flags);

// Parses the arguments after the program's name. "" when they are fine,
// else one line: "unknown option --speed", "unexpected argument \"x\"",
// "--out needs a value".
std::string ParseCommandLine(CLI::App &app, const std::vector<std::string> &args);

enum class CommandOutcome { Run, Help, Version, UsageError };

// The program's own command line. With no argument it runs exactly as it
// always has.
struct ProgramCommand {
    CommandOutcome outcome = CommandOutcome::Run;
    bool fullscreen = false;  // --fullscreen: start in a borderless full screen
    std::string preset;       // --preset NAME|FILE: start from a preset
    bool resume = false;      // --resume: start from the last session's final values
    std::string record;       // --record FILE: the session written to FILE at exit
    std::string error;  // for UsageError
};

ProgramCommand ParseProgramCommand(const std::vector<std::string> &args);

// The text of `nimbrel --help`.
const char *ProgramUsage();
