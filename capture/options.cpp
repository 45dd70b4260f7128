// The capture's command line and key script, checked in the project's words.
#include "capture/options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <sstream>

#include "io/command_line.h"
#include "values/tuned_values.h"
#include "io/text.h"

namespace {

constexpr std::size_t kMaxScriptBytes = 1 << 20;

enum class Number { Ok, NotANumber, OutOfRange };

// A whole decimal number from lo to hi; leading zeros are allowed.
Number ParseNumber(const std::string &text, long lo, long hi, long &value) {
    switch (ReadWhole(text, value)) {
    case NumberRead::NotANumber: return Number::NotANumber;
    case NumberRead::TooLarge: return Number::OutOfRange;
    case NumberRead::Ok: break;
    }
    return value < lo || value > hi ? Number::OutOfRange : Number::Ok;
}

std::string Range(long lo, long hi) { return std::to_string(lo) + " to " + std::to_string(hi); }

// CLI11's check of an option's number, in the project's words: the text
// is handed on without leading zeros, which CLI11 would read as octal.
CLI::Validator WholeNumber(long lo, long hi) {
    return CLI::Validator(
        [lo, hi](std::string &text) -> std::string {
            long value = 0;
            switch (ParseNumber(text, lo, hi, value)) {
            case Number::Ok: text = std::to_string(value); return "";
            case Number::NotANumber: return "\"" + text + "\" is not a whole number";
            case Number::OutOfRange: return text + " is out of range (" + Range(lo, hi) + ")";
            }
            return "";
        },
        "");
}

bool ParseItem(const std::string &item, int frames, std::vector<ScriptedPress> &presses,
               std::string &error) {
    const std::size_t colon = item.find(':');
    if (colon == std::string::npos) {
        error = "\"" + item + "\" is not FRAME:KEY";
        return false;
    }
    const std::string frameText = item.substr(0, colon);
    const std::string key = item.substr(colon + 1);
    long frame = 0;
    switch (ParseNumber(frameText, 1, frames, frame)) {
    case Number::Ok: break;
    case Number::NotANumber:
        error = "\"" + item + "\": frame \"" + frameText + "\" is not a whole number";
        return false;
    case Number::OutOfRange:
        error = "\"" + item + "\": frame " + frameText + " is outside the capture (" + Range(1, frames) + ")";
        return false;
    }
    const int code = KeyCodeFromName(key);
    if (code < 0) {
        error = "\"" + item + "\": unknown key \"" + key + "\"";
        return false;
    }
    presses.push_back({static_cast<int>(frame), code});
    return true;
}

bool ReadScriptFile(const std::string &path, std::string &script, std::string &error) {
    if (ReadTextFile(path, kMaxScriptBytes, script, error)) return true;
    error = "--keys: " + error;
    return false;
}

// WIDTHxHEIGHT, each side from kMinFrameSide to kMaxFrameSide.
CLI::Validator FrameSize(int &width, int &height) {
    return CLI::Validator(
        [&width, &height](std::string &text) -> std::string {
            long w = 0, h = 0;
            const NumberRead read = ReadSize(text, w, h);
            if (read == NumberRead::NotANumber) return "\"" + text + "\" is not WIDTHxHEIGHT, such as 1920x1080";
            if (read == NumberRead::TooLarge || w < kMinFrameSide || w > kMaxFrameSide || h < kMinFrameSide ||
                h > kMaxFrameSide)
                return text + " is out of range (each side " + Range(kMinFrameSide, kMaxFrameSide) + ")";
            width = static_cast<int>(w);
            height = static_cast<int>(h);
            return "";
        },
        "");
}

// A time in seconds, 0 or more, in the project's words, kept as
// microseconds so that parts meet exactly.
CLI::Validator Seconds(std::int64_t &us) {
    return CLI::Validator(
        [&us](std::string &text) -> std::string {
            double value = 0.0;
            if (!ReadDecimal(text, value) || !(value >= 0.0) || value > 1e9)
                return "\"" + text + "\" is not a time in seconds, 0 or more";
            us = std::llround(value * 1e6);
            return "";
        },
        "");
}

// Frames per second: a whole number, or N/M as video tools write it
// (30000/1001), from 1 to kMaxFps.
CLI::Validator Rate(FrameRate &rate) {
    return CLI::Validator(
        [&rate](std::string &text) -> std::string {
            const std::size_t slash = text.find('/');
            long num = 0, den = 1;
            const bool read = slash == std::string::npos
                                  ? ParseNumber(text, 1, 1000000, num) == Number::Ok
                                  : ParseNumber(text.substr(0, slash), 1, 1000000, num) == Number::Ok &&
                                        ParseNumber(text.substr(slash + 1), 1, 1000000, den) == Number::Ok;
            if (!read || num < den || num > kMaxFps * den)
                return "\"" + text + "\" is not a rate from 1 to " + std::to_string(kMaxFps) +
                       ": a whole number, or N/M such as 30000/1001";
            rate = {num, den};
            return "";
        },
        "");
}

}  // namespace

bool ParseKeyScript(const std::string &script, int frames, std::vector<ScriptedPress> &presses,
                    std::string &error) {
    presses.clear();
    std::istringstream lines(script);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        line = line.substr(0, line.find('#'));
        std::replace(line.begin(), line.end(), ',', ' ');
        std::istringstream items(line);
        std::string item;
        while (items >> item) {
            if (ParseItem(item, frames, presses, error)) continue;
            if (script.find('\n') != std::string::npos) error = "line " + std::to_string(number) + ": " + error;
            return false;
        }
    }
    std::stable_sort(presses.begin(), presses.end(),
                     [](const ScriptedPress &a, const ScriptedPress &b) { return a.frame < b.frame; });
    return true;
}

ParseResult ParseCaptureOptions(const std::vector<std::string> &args) {
    ParseResult result;
    CaptureOptions &options = result.options;
    auto fail = [&result](const std::string &error) {
        result.outcome = ParseOutcome::UsageError;
        result.error = error;
        return result;
    };

    // CLI11 takes the command line apart; the values are checked here, so
    // that each message names its problem plainly.
    CLI::App app("nimbrel-capture");
    StandardFlags flags;
    PrepareCommandLine(app, flags);
    std::string keys;
    CLI::Option *framesOption = app.add_option("--frames", options.frames)->transform(WholeNumber(1, kMaxFrames));
    std::string rate;
    app.add_option("--fps", rate)->check(Rate(options.fps));
    app.add_option("--every", options.every)->transform(WholeNumber(1, kMaxFrames));
    std::string size;
    CLI::Option *sizeOption = app.add_option("--size", size)->check(FrameSize(options.width, options.height));
    CLI::Option *keysOption = app.add_option("--keys", keys);
    CLI::Option *outOption = app.add_option("--out", options.outDir);
    CLI::Option *videoOption = app.add_option("--video", options.videoPath);
    CLI::Option *presetOption = app.add_option("--preset", options.preset);
    CLI::Option *replayOption = app.add_option("--replay", options.replay);
    CLI::Option *exactOption = app.add_flag("--exact", options.exact)->disable_flag_override();
    CLI::Option *panelOption = app.add_flag("--panel", options.panel)->disable_flag_override();
    std::string from, to;
    app.add_option("--from", from)->check(Seconds(options.fromUs));
    CLI::Option *toOption = app.add_option("--to", to)->check(Seconds(options.toUs));
    app.add_flag("--overwrite", options.overwrite)->disable_flag_override();
    app.add_flag("--alpha", options.alpha)->disable_flag_override();
    CLI::Option *crfOption = app.add_option("--crf", options.crf)->transform(WholeNumber(0, 63));
    CLI::Option *codecOption = app.add_option("--codec", options.codec);
    RendererArguments drawing;
    AddRendererOptions(app, drawing);
    CLI::Option *setOption = nullptr;
    AddSettingOption(app, options.settings);
    setOption = app.get_option("--set");
    std::string problem = ParseCommandLine(app, args);
    if (problem.empty()) problem = RendererProblem(drawing, options.drawing);
    if (!problem.empty()) return fail(problem);
    if (flags.help || flags.version) {
        result.outcome = flags.help ? ParseOutcome::Help : ParseOutcome::Version;
        return result;
    }
    for (CLI::Option *text : {outOption, videoOption, presetOption, replayOption})
        if (text->count() > 0 && text->as<std::string>().empty()) return fail(text->get_name() + " needs a value");
    // A recording carries its own frames, keys and values.
    const bool replay = replayOption->count() > 0;
    for (CLI::Option *own : {keysOption, presetOption, framesOption, setOption})
        if (replay && own->count() > 0)
            return fail(own->get_name() + " cannot go with --replay: the recording has its own");
    for (CLI::Option *own : {exactOption, panelOption})
        if (!replay && own->count() > 0) return fail(own->get_name() + " goes with --replay");
    if (toOption->count() > 0 && options.toUs <= options.fromUs)
        return fail("--to: must come after --from");

    const bool haveKeys = keysOption->count() > 0;

    if (options.outDir.empty() && options.videoPath.empty())
        return fail("nothing to write: give --out DIR, --video FILE or both");
    // The container, by the name; what it carries.
    const std::string &video = options.videoPath;
    const std::string extension = video.empty() ? "" : LowerExtension(video);
    const std::vector<std::string> known = {".mp4", ".mkv", ".mov", ".avi", ".gif", ".webm"};
    if (!video.empty() && std::find(known.begin(), known.end(), extension) == known.end())
        return fail("--video: " + video + " does not end in " + kVideoExtensions);
    if (options.alpha && !video.empty() && extension != ".mov" && extension != ".webm")
        return fail("--alpha: " + video + " cannot carry alpha; name a " + kAlphaVideoExtensions + " file");
    // The codec: asked for, or the name's; each in the containers that
    // hold it.
    if (codecOption->count() > 0) {
        const std::string &codec = options.codec;
        if (codec != "h264" && codec != "h265" && codec != "vp9")
            return fail("--codec: \"" + codec + "\" is not h264, h265 or vp9");
        if (video.empty()) return fail("--codec goes with --video");
        const bool fits = codec == "vp9" ? extension == ".webm" || extension == ".mkv" || extension == ".mp4"
                                         : extension == ".mp4" || extension == ".mkv" || extension == ".mov";
        if (!fits)
            return fail("--codec: " + video + " cannot hold " + codec + "; " +
                        (codec == "vp9" ? "name a .webm, .mkv or .mp4 file" : "name a .mp4, .mkv or .mov file"));
        if (options.alpha && !(codec == "vp9" && extension == ".webm"))
            return fail("--alpha: " + codec + " in " + extension + " cannot carry alpha; name a " +
                        kAlphaVideoExtensions + " file");
    } else if (extension == ".mp4") {
        options.codec = "h264";
    } else if (extension == ".webm") {
        options.codec = "vp9";
    } else if (crfOption->count() > 0 && (extension == ".mkv" || extension == ".mov") && !options.alpha) {
        options.codec = "h264";  // the quality asked for, in the codec ffmpeg would choose
    }
    if (crfOption->count() > 0) {
        if (options.codec.empty())
            return fail("--crf goes with a video in H.264, H.265 or VP9 (.mp4, .mkv, .webm, or .mov without --alpha)");
        if (options.codec != "vp9" && options.crf > 51)
            return fail("--crf: " + std::to_string(options.crf) + " is out of range (0 to 51 for H.264 and H.265)");
    }
    // H.264 and H.265 as made here halve the colour's resolution both ways.
    const bool h264 = options.codec == "h264" || options.codec == "h265";
    options.sizeGiven = sizeOption->count() > 0;
    if (sizeOption->count() > 0 && h264 && (options.width % 2 != 0 || options.height % 2 != 0))
        return fail("--size: " + size + " has an odd side, which " + (options.codec == "h264" ? "H.264" : "H.265") + " in " + extension +
                    " cannot take: try " +
                    std::to_string(options.width + options.width % 2) + "x" +
                    std::to_string(options.height + options.height % 2));
    // Without PNG files --every means nothing.
    if (!replay && !options.outDir.empty() && options.every > options.frames)
        return fail("--every: " + std::to_string(options.every) + " is more than the " +
                    std::to_string(options.frames) + " frames of the capture");
    if (haveKeys) {
        std::string script = keys;
        std::string error;
        if (!keys.empty() && keys[0] == '@' && !ReadScriptFile(keys.substr(1), script, error))
            return fail(error);
        if (!ParseKeyScript(script, options.frames, options.presses, error))
            return fail("--keys: " + error);
    }
    return result;
}

const char *CaptureUsage() {
    return R"(Usage: nimbrel-capture [OPTION]... (--out DIR | --video FILE)
Renders the smoke at a fixed frame rate, exactly: frame k shows the time
k / FPS, the clock before it reading k x 1000 / FPS milliseconds (rounded
down), however long each frame takes to draw, so a capture is the same on
every machine, and parts of one rendered apart give the same bytes. Finds
particle3.bmp as the program does: in the working directory, else the
installed copy.

  --frames N     frames to render, 1 to 999999 (default 600)
  --fps F        frames per second of the capture, 1 to 240: a whole
                 number or N/M, such as 30000/1001 (default 60)
  --keys SCRIPT  key presses: FRAME:KEY items separated by commas or white
                 space, or @FILE for a file of them (# starts a comment).
                 A press listed for frame f acts before frame f is drawn.
                 Keys as in the controls: the letters, F1 to F8, Tab
                 (Tab saves screenshot0.ppm in the working directory;
                 F3 shows the panel, whose timings are this machine's).
  --out DIR      write PNG files DIR/frame000001.png ..., named by frame
                 number; the folder is made when missing
  --size WxH     the frames' size in pixels, each side 16 up to what the
                 GL gives (default 800x800); the view keeps its height, a
                 wider frame shows more to the sides, and the sprites
                 scale with the height, so the smoke looks the same
  --renderer auto|cpu|gl
                 what draws the frames: cpu, the sprite rasterizer, the
                 same bytes as Mesa's software renderer on every machine;
                 gl, the GL, with a GPU's speed. auto (the default) is cpu,
                 or for an exact replay what drew the session
  --threads N    the CPU renderer's threads, 1 to 256 (one for each core)
  --set NAME=VALUE
                 set one value by its preset name, checked as a preset's
                 line is; repeatable, applied in order after --preset
  --every K      keep only every Kth frame as a PNG (K, 2K, ...), K no
                 more than the frames; the smoke still steps every frame
                 (default 1)
  --preset NAME|FILE
                 start from a preset, as nimbrel --preset does; the key
                 script then acts on top of it
  --video FILE   pipe the frames to ffmpeg at the capture's rate, in the
                 format of the name's extension: H.264 in MP4 for .mp4,
                 VP9 for .webm; .mkv, .mov, .avi and .gif work too
  --codec C      the video's codec: h264 (in .mp4, .mkv, .mov), h265 (the
                 same) or vp9 (.webm, .mkv, .mp4); by default H.264 for
                 .mp4, VP9 for .webm, and ffmpeg's choice for the rest
  --crf N        the video's constant quality, lower is better and larger:
                 H.264 and H.265 0 to 51 (default 18 and 28), VP9 0 to 63
                 (default 31); .mkv and .mov with --crf are H.264
  --alpha        frames with an alpha channel for compositing, the
                 background clear: RGBA PNG files, ProRes 4444 in .mov,
                 VP9 with alpha in .webm. Straight colour: each pixel's
                 alpha is its brightest channel; over black it gives the
                 plain frame
  --overwrite    replace files that exist (the video, PNG files of the
                 same names); without it the capture stops before drawing
  --replay NAME|FILE
                 render a recorded session again: one in the recordings
                 folder by name (last-session, or one kept with F9) or a
                 file (a path with a '/'). Its values, changes and
                 screenshots come from it (the screenshots into --out's
                 folder, or beside the video); --frames, --keys and
                 --preset cannot go with it. By default it plays smoothly
                 at --fps, each change at the first frame that reaches its
                 time
  --exact        with --replay: the live frames themselves, with the
                 session's own clock, bit for bit; the video shows at each
                 tick the latest live frame
  --panel        with --replay: draw the panel where the session showed
                 it (it opens where it first opens, with this machine's
                 timings); by default the frames hold the smoke alone
  --from S, --to S
                 only the frames whose time lies after S and up to S
                 seconds, numbered as in the whole capture; the smoke
                 steps from the start without drawing. Parts that meet
                 (--to 5, --from 5) rendered anywhere into one folder give
                 the bytes of one run
  --help         show this text
  --version      show the version

It draws off screen through EGL, with or without a display. Exit status:
0 done, 1 failure while running (output folder, disk, ffmpeg, GL), 2 usage
error or a file that would be replaced, 128 + N stopped by signal N: the
video holds the frames drawn so far and the PNG files written stay.

Window resizes and full screen during a recorded session do not change
the replay's size. Examples:
  nimbrel-capture --frames 300 --keys 60:Z,120:C,180:F7 --video tour.mp4
  nimbrel-capture --replay last-session --video session.mp4
)";
}
