// Command lines taken apart by CLI11, every problem in one line.
#include "io/command_line.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <utility>

#include "io/text.h"

void PrepareCommandLine(CLI::App &app, StandardFlags &flags) {
    app.set_help_flag();  // the tools print help texts of their own
    app.allow_extras();
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.add_flag("-h,--help", flags.help)->disable_flag_override();
    app.add_flag("--version", flags.version)->disable_flag_override();
}

std::string ParseCommandLine(CLI::App &app, const std::vector<std::string> &args) {
    try {
        app.parse(std::vector<std::string>(args.rbegin(), args.rend()));  // CLI11 reads them from the back
    } catch (const CLI::ArgumentMismatch &mismatch) {
        // A flag given a value, or an option given none.
        const std::string what = mismatch.what();
        const std::size_t flag = what.find(" was given a disallowed flag override");
        if (flag != std::string::npos) return "--" + what.substr(0, flag) + " takes no value";
        return what.substr(0, what.find(':')) + " needs a value";
    } catch (const CLI::ParseError &error) {
        return error.what();
    }
    const std::vector<std::string> extras = app.remaining();
    if (extras.empty()) return "";
    const std::string &first = extras.front();
    if (first.size() > 1 && first[0] == '-') return "unknown option " + first.substr(0, first.find('='));
    return "unexpected argument \"" + first + "\"";
}

void AddRendererOptions(CLI::App &app, RendererArguments &arguments) {
    app.add_option("--renderer", arguments.renderer);
    app.add_option("--threads", arguments.threads);
}

void AddSettingOption(CLI::App &app, std::vector<std::string> &settings) {
    app.add_option("--set", settings)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

std::string RendererProblem(const RendererArguments &arguments, RendererOptions &options) {
    options.rendererGiven = !arguments.renderer.empty();
    if (arguments.renderer == "cpu")
        options.renderer = RendererChoice::Cpu;
    else if (arguments.renderer == "gl")
        options.renderer = RendererChoice::Gl;
    else if (arguments.renderer.empty() || arguments.renderer == "auto")
        options.renderer = RendererChoice::Auto;
    else
        return "--renderer: \"" + arguments.renderer + "\" is not auto, cpu or gl";
    if (arguments.threads.empty()) return "";
    long threads = 0;
    const NumberRead read = ReadWhole(arguments.threads, threads);
    if (read == NumberRead::NotANumber) return "--threads: \"" + arguments.threads + "\" is not a whole number";
    if (read == NumberRead::TooLarge || threads < 1 || threads > kMaxRasterThreads)
        return "--threads: " + arguments.threads + " is out of range (1 to " + std::to_string(kMaxRasterThreads) + ")";
    options.threads = static_cast<int>(threads);
    return "";
}

namespace {

// The desktop modes: one at most, and none with what belongs to a session
// one plays with.
std::string DesktopProblem(bool windowGiven, const std::string &windowId, bool root, bool wallpaper,
                           ProgramCommand &command) {
    if (windowGiven + root + wallpaper > 1) return "--window-id, --root and --wallpaper: give one";
    if (windowGiven) {
        char *end = nullptr;
        errno = 0;
        const unsigned long id = std::strtoul(windowId.c_str(), &end, 0);
        if (windowId.empty() || !std::isdigit(static_cast<unsigned char>(windowId[0])) || *end != '\0' || errno != 0 ||
            id == 0)
            return "--window-id: \"" + windowId + "\" is not a window id (hex 0x... or decimal)";
        command.desktop = DesktopMode::WindowId;
        command.windowId = id;
    }
    if (root) command.desktop = DesktopMode::Root;
    if (wallpaper) command.desktop = DesktopMode::Wallpaper;
    if (command.desktop == DesktopMode::None) return "";
    const char *mode = windowGiven ? "--window-id" : root ? "--root" : "--wallpaper";
    for (const auto &[given, name] : {std::pair{command.fullscreen, "--fullscreen"}, std::pair{command.resume, "--resume"},
                                      std::pair{!command.record.empty(), "--record"}})
        if (given) return std::string(mode) + " draws smoke to look at: it takes no " + name;
    return "";
}

// A whole number from 0 to `high` given to `option`: "" with `value` set,
// else the problem, `range` saying what is allowed.
std::string WholeInRange(const char *option, const std::string &text, long high, const std::string &range,
                         long &value) {
    const NumberRead read = ReadWhole(text, value);
    if (read == NumberRead::NotANumber) return std::string(option) + ": \"" + text + "\" is not a whole number";
    if (read == NumberRead::TooLarge || value < 0 || value > high)
        return std::string(option) + ": " + text + " is out of range (" + range + ")";
    return "";
}

// --max-fps N (0 to kMaxFramesPerSecond) and --delay USEC (0 to
// kMaxDelayMicroseconds, the desktop modes only), one at most, as the
// least time between frames.
std::string PaceProblem(const CLI::Option &maxFpsOption, const std::string &maxFps, const CLI::Option &delayOption,
                        const std::string &delay, ProgramCommand &command) {
    const bool fpsGiven = maxFpsOption.count() > 0, delayGiven = delayOption.count() > 0;
    if (fpsGiven && delayGiven) return "--max-fps and --delay both set the frame rate: give one";
    long value = 0;
    if (fpsGiven) {
        const std::string problem = WholeInRange("--max-fps", maxFps, kMaxFramesPerSecond,
                                                 "1 to " + std::to_string(kMaxFramesPerSecond) + ", or 0 for no cap",
                                                 value);
        if (!problem.empty()) return problem;
        command.frameIntervalMs = value == 0 ? 0.0 : 1000.0 / static_cast<double>(value);
    }
    if (delayGiven) {
        if (command.desktop == DesktopMode::None)
            return "--delay: the pause between frames is for --window-id, --root and --wallpaper; the window "
                   "takes --max-fps";
        const std::string problem = WholeInRange("--delay", delay, kMaxDelayMicroseconds,
                                                 "0 to " + std::to_string(kMaxDelayMicroseconds) + " microseconds",
                                                 value);
        if (!problem.empty()) return problem;
        command.frameIntervalMs = static_cast<double>(value) / 1000.0;
    }
    return "";
}

}  // namespace

ProgramCommand ParseProgramCommand(const std::vector<std::string> &args) {
    ProgramCommand command;
    CLI::App app("nimbrel");
    StandardFlags flags;
    PrepareCommandLine(app, flags);
    app.add_flag("--fullscreen", command.fullscreen)->disable_flag_override();
    CLI::Option *preset = app.add_option("--preset", command.preset);
    app.add_flag("--resume", command.resume)->disable_flag_override();
    CLI::Option *record = app.add_option("--record", command.record);
    RendererArguments drawing;
    AddRendererOptions(app, drawing);
    AddSettingOption(app, command.settings);
    std::string windowId;
    CLI::Option *windowOption = app.add_option("--window-id", windowId);
    bool root = false, wallpaper = false;
    app.add_flag("--root", root)->disable_flag_override();
    app.add_flag("--wallpaper", wallpaper)->disable_flag_override();
    std::string maxFps, delay;
    CLI::Option *maxFpsOption = app.add_option("--max-fps", maxFps);
    CLI::Option *delayOption = app.add_option("--delay", delay);
    command.error = ParseCommandLine(app, args);
    if (command.error.empty()) command.error = RendererProblem(drawing, command.drawing);
    if (command.error.empty()) command.error = DesktopProblem(windowOption->count() > 0, windowId, root, wallpaper, command);
    if (command.error.empty()) command.error = PaceProblem(*maxFpsOption, maxFps, *delayOption, delay, command);
    if (command.error.empty() && preset->count() > 0 && command.preset.empty()) command.error = "--preset needs a value";
    if (command.error.empty() && record->count() > 0 && command.record.empty()) command.error = "--record needs a value";
    if (command.error.empty() && command.resume && preset->count() > 0)
        command.error = "--resume and --preset both give the start values: give one";
    if (!command.error.empty())
        command.outcome = CommandOutcome::UsageError;
    else if (flags.help)
        command.outcome = CommandOutcome::Help;
    else if (flags.version)
        command.outcome = CommandOutcome::Version;
    return command;
}

const char *ProgramUsage() {
    return R"(Usage: nimbrel [OPTION]...
A real-time smoke simulation: up to 100,000 particles stream out of a small
two-lobed emitter, drawn as textured, additively blended point sprites in
an 800 x 800 window. Tune it with the keys while it runs (see the manual
page, nimbrel(1)); drag with the left mouse button to turn the view; Tab
saves the picture as screenshot0.ppm in the working directory. F3 shows a
panel of sliders to tune with the mouse; F11 fills the screen and back.

  --preset NAME|FILE
                 start from a preset: one of yours (saved from the F3
                 panel), a built-in one (plume, steam, wisp) or a file
  --resume       start from the values the last session ended on (the
                 smoke starts afresh)
  --record FILE  write the session to FILE at exit, besides last-session
  --fullscreen   start in a borderless full screen (F11 switches back)
  --renderer auto|cpu|gl
                 what draws the smoke: the sprite rasterizer on the CPU
                 (the same bytes as Mesa's software renderer, far faster
                 where no GPU draws), or the GL; auto, the default, draws
                 on the CPU where the GL is a software renderer
  --threads N    the CPU renderer's threads (one for each core by default)
  --window-id ID  draw into an existing X window (hex 0x... or decimal),
                 following its size: smoke to look at, with no keys, mouse,
                 panel, journal or recording; SIGTERM ends it
  --root         the same into the window a screensaver hands over
                 ($XSCREENSAVER_WINDOW), else the root window: as an
                 XScreenSaver hack, GL: nimbrel --root
  --wallpaper    the same in a borderless window of type desktop, the
                 screen's size, below every other window
  --max-fps N    at most N frames a second, 1 to 1000, or 0 for as many as
                 can be drawn; by default the display's refresh rate in
                 the window and 30 on the desktop
  --delay USEC   on the desktop, the pause between frames in microseconds
                 (XScreenSaver's frame rate setting): 33333 is 30 a second
  --set NAME=VALUE
                 set one value by its preset name, checked as a preset's
                 line is (--set particles=20000 --set fade_out=true);
                 repeatable, applied in order after --preset or --resume
  --help         show this text
  --version      show the version

The sprite image particle3.bmp is read from the working directory, or else
from the installed copy (share/nimbrel/ beside the program's folder). Your
presets live in $XDG_CONFIG_HOME/nimbrel/presets/ (~/.config/... by
default). Every session is recorded as it runs: F9 keeps it so far, and
each exit keeps it as last-session, in $XDG_DATA_HOME/nimbrel/recordings/
(~/.local/share/... by default); nimbrel-capture --replay renders it again.
Exit status: 0 after the window is closed, 1 when no window or GL context
can be had, 2 usage error or a preset or last session that cannot be
loaded.
)";
}
