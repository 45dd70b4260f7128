#include "capture/options.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

#include "app/key_table.h"

namespace {

constexpr std::size_t kMaxScriptBytes = 1 << 20;

enum class Number { Ok, NotANumber, OutOfRange };

// A whole decimal number, digits only, from lo to hi.
Number ParseNumber(const std::string &text, long lo, long hi, long &value) {
    const bool digits = !text.empty() &&
                        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits) return Number::NotANumber;
    if (text.size() > 9) return Number::OutOfRange;
    value = std::stol(text);
    return value < lo || value > hi ? Number::OutOfRange : Number::Ok;
}

std::string Range(long lo, long hi) { return std::to_string(lo) + " to " + std::to_string(hi); }

// An option's number; false with `error` set otherwise.
bool ParseOptionNumber(const std::string &name, const std::string &text, long lo, long hi, int &out,
                       std::string &error) {
    long value = 0;
    switch (ParseNumber(text, lo, hi, value)) {
    case Number::Ok: out = static_cast<int>(value); return true;
    case Number::NotANumber: error = name + ": \"" + text + "\" is not a whole number"; return false;
    case Number::OutOfRange: error = name + ": " + text + " is out of range (" + Range(lo, hi) + ")"; return false;
    }
    return false;
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
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "--keys: cannot read " + path;
        return false;
    }
    std::string text;
    char buffer[4096];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (text.size() > kMaxScriptBytes) {
            error = "--keys: " + path + " is larger than 1 MiB";
            return false;
        }
    }
    if (in.bad()) {
        error = "--keys: cannot read " + path;
        return false;
    }
    script = std::move(text);
    return true;
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
    std::string keys;
    bool haveKeys = false;
    auto fail = [&result](const std::string &error) {
        result.outcome = ParseOutcome::UsageError;
        result.error = error;
        return result;
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        if (name == "--help" || name == "-h") {
            result.outcome = ParseOutcome::Help;
            return result;
        }
        if (name.compare(0, 2, "--") != 0) return fail("unexpected argument \"" + name + "\"");
        std::string value;
        bool haveValue = false;
        const std::size_t equals = name.find('=');
        if (equals != std::string::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
            haveValue = true;
        }
        const bool known = name == "--frames" || name == "--fps" || name == "--every" ||
                           name == "--keys" || name == "--out" || name == "--video";
        if (!known) return fail("unknown option " + name);
        if (!haveValue) {
            if (i + 1 == args.size()) return fail(name + " needs a value");
            value = args[++i];
        }

        std::string error;
        if (name == "--frames") {
            if (!ParseOptionNumber(name, value, 1, kMaxFrames, options.frames, error)) return fail(error);
        } else if (name == "--fps") {
            if (!ParseOptionNumber(name, value, 1, kMaxFps, options.fps, error)) return fail(error);
        } else if (name == "--every") {
            if (!ParseOptionNumber(name, value, 1, kMaxFrames, options.every, error)) return fail(error);
        } else if (name == "--keys") {
            keys = value;
            haveKeys = true;
        } else if (value.empty()) {
            return fail(name + " needs a value");
        } else if (name == "--out") {
            options.outDir = value;
        } else {
            options.videoPath = value;
        }
    }

    if (options.outDir.empty() && options.videoPath.empty())
        return fail("nothing to write: give --out DIR, --video FILE or both");
    if (options.every > options.frames)
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
Renders the smoke at a fixed frame rate, exactly: before frame k the clock
reads k x 1000 / FPS milliseconds (rounded down), however long each frame
takes to draw, so a capture is the same on every machine. Reads
particle3.bmp from the working directory, as the program does.

  --frames N     frames to render, 1 to 1000000 (default 600)
  --fps F        frames per second of the capture, 1 to 240 (default 60)
  --keys SCRIPT  key presses: FRAME:KEY items separated by commas or white
                 space, or @FILE for a file of them (# starts a comment).
                 A press listed for frame f acts before frame f is drawn.
                 Keys as in the controls: the letters, F1 to F8, Tab
                 (Tab saves screenshot0.ppm in the working directory;
                 F3 shows the readout, whose timings are this machine's).
  --out DIR      write PNG files DIR/frame000001.png ..., named by frame
                 number; the folder is made when missing
  --every K      keep only every Kth frame as a PNG (K, 2K, ...); the
                 smoke still steps every frame (default 1)
  --video FILE   pipe the frames to ffmpeg at the capture's rate (H.264 in
                 MP4 for a .mp4 name)
  --help         show this text

Without a display it draws off screen through EGL. Exit status: 0 done,
1 failure while running (output folder, disk, ffmpeg, GL), 2 usage error.

Example: nimbrel-capture --frames 300 --keys 60:Z,120:C,180:F7 --video tour.mp4
)";
}
