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

// Which renderer draws the smoke: the sprite rasterizer on the CPU, the
// GL, or the program's own choice; and how many threads the rasterizer
// draws on (0: one for each core).
enum class RendererChoice { Auto, Cpu, Gl };
struct RendererOptions {
    RendererChoice renderer = RendererChoice::Auto;
    int threads = 0;
    bool rendererGiven = false;
};
constexpr int kMaxRasterThreads = 256;
// Adds --renderer auto|cpu|gl and --threads N to a command line; after the
// parse, RendererProblem says what is wrong with them, or "".
struct RendererArguments {
    std::string renderer, threads;
};
void AddRendererOptions(CLI::App &app, RendererArguments &arguments);
// Adds --set NAME=VALUE, repeatable, every one kept in order.
void AddSettingOption(CLI::App &app, std::vector<std::string> &settings);
std::string RendererProblem(const RendererArguments &arguments, RendererOptions &options);

// The desktop's ways to show the smoke, to look at rather than play with:
// no keys, mouse or panel, no journal and no recording.
enum class DesktopMode {
    None,
    WindowId,   // --window-id ID: into an existing X window
    Root,       // --root: into the window a screensaver is handed, else the (virtual) root
    Wallpaper,  // --wallpaper: a borderless window of type desktop, the screen's size, below every other
};

// The frames a second --max-fps takes at most, and the longest --delay in
// microseconds (one frame a second).
constexpr int kMaxFramesPerSecond = 1000;
constexpr long kMaxDelayMicroseconds = 1000000;
// No rate given: the mode's own (the display's refresh in the window, 30
// frames a second on the desktop).
constexpr double kPaceByMode = -1.0;

// The program's own command line. With no argument it runs exactly as it
// always has.
struct ProgramCommand {
    CommandOutcome outcome = CommandOutcome::Run;
    bool fullscreen = false;  // --fullscreen: start in a borderless full screen
    std::string preset;       // --preset NAME|FILE: start from a preset
    bool resume = false;      // --resume: start from the last session's final values
    std::string record;       // --record FILE: the session written to FILE at exit
    RendererOptions drawing;  // --renderer, --threads
    std::vector<std::string> settings;  // --set NAME=VALUE, in order, after the preset
    DesktopMode desktop = DesktopMode::None;
    unsigned long windowId = 0;  // for --window-id
    // The time between frames at the least, in milliseconds: --max-fps N
    // gives 1000 / N, --delay USEC (the desktop modes) USEC / 1000; 0 for
    // none (--max-fps 0, --delay 0); kPaceByMode when neither is given.
    double frameIntervalMs = kPaceByMode;
    std::string error;  // for UsageError
};

ProgramCommand ParseProgramCommand(const std::vector<std::string> &args);

// The text of `nimbrel --help`.
const char *ProgramUsage();
