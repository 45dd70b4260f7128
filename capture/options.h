// The capture tool's command line and key script, parsed without touching
// the GL or the file system (but for reading an @FILE key script).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/command_line.h"

// A key press from the script: acts before frame `frame` is drawn.
struct ScriptedPress {
    int frame;    // 1 to the number of frames
    int keyCode;  // virtual-key code of a control
};

// Frames per second as a fraction, num / den: 60, or 30000/1001.
struct FrameRate {
    long num = 60, den = 1;
    std::string Text() const { return den == 1 ? std::to_string(num) : std::to_string(num) + "/" + std::to_string(den); }
};

struct CaptureOptions {
    int frames = 600;
    FrameRate fps;
    int every = 1;                       // keep every Kth frame as a PNG
    int width = 800, height = 800;       // the frames' size in pixels
    bool sizeGiven = false;              // by --size; else a replay's is its session's
    std::vector<ScriptedPress> presses;  // in the order they act
    std::string outDir;                  // empty: no PNG files
    std::string videoPath;               // empty: no video
    std::string preset;                  // a preset's name or file; empty: none
    // A recording to render again (its name or file); empty: none. Its
    // frames, keys and values come from it.
    std::string replay;
    bool exact = false;       // the live frames and clock, not --fps's
    bool panel = false;       // draw the recorded panel, as it was shown
    // The part: the frames whose time lies in (from, to], in seconds of
    // the capture or the session, as microseconds. Negative `to`: to the end.
    std::int64_t fromUs = -1;  // negative: from the start
    std::int64_t toUs = -1;
    bool overwrite = false;   // files the capture writes may replace existing ones
    bool alpha = false;       // frames with an alpha channel
    int crf = -1;             // the encoder's constant quality; -1: its default here
    // The video's codec: "h264", "h265" or "vp9", from --codec or the
    // name (.mp4 H.264, .webm VP9); "" leaves it to ffmpeg (.mkv, .mov,
    // .avi, .gif as ever) or to --alpha (ProRes 4444 in .mov).
    std::string codec;
    // What draws the frames (--renderer, --threads): auto is the CPU, the
    // same bytes on every machine; an exact replay draws with what drew
    // the session unless --renderer says otherwise.
    RendererOptions drawing;
    std::vector<std::string> settings;  // --set NAME=VALUE, in order, after the preset
};

// The video containers the capture knows, by the name's extension, and
// those that carry alpha.
constexpr const char *kVideoExtensions = ".mp4, .mkv, .mov, .avi, .gif or .webm";
constexpr const char *kAlphaVideoExtensions = ".mov (ProRes 4444) or .webm (VP9)";

constexpr int kMaxFrames = 999999;  // six digits in the frame file names
constexpr int kMaxFps = 240;
// Frame sides, before the GL says how large a surface it gives.
constexpr int kMinFrameSide = 16;
constexpr int kMaxFrameSide = 16384;

enum class ParseOutcome { Run, Help, Version, UsageError };

struct ParseResult {
    ParseOutcome outcome = ParseOutcome::Run;
    CaptureOptions options;
    std::string error;  // one line naming the problem, for UsageError
};

// Parses the arguments after the program name, through CLI11: `--name
// value` or `--name=value`, in any order, the last of a repeated option
// winning.
ParseResult ParseCaptureOptions(const std::vector<std::string> &args);

// Parses a key script: FRAME:KEY items separated by commas or white space,
// `#` starting a comment that runs to the end of its line; frames from 1 to
// `frames`, keys named as in the controls table. Presses come back ordered
// by frame, those of one frame in the order given. On a bad item returns
// false with `error` naming it (and its line, when there are several).
bool ParseKeyScript(const std::string &script, int frames, std::vector<ScriptedPress> &presses,
                    std::string &error);

// The usage text for --help.
const char *CaptureUsage();
