// The recording's text format, written and read back all or nothing.
#include "values/recording.h"

#include <charconv>
#include <cstdio>
#include <cstring>

#include "values/tuned_values.h"
#include "io/text.h"
#include "sim/particles.h"

namespace {

constexpr std::size_t kFramesPerRun = 20;  // a line of a run, for reading

void AppendNumber(std::string &out, std::uint64_t value) {
    char digits[24];
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, end.ptr);
}

std::string ChangeText(const RecordedChange &change) {
    if (change.what == RecordedChange::kScreenshot) return "shot";
    if (change.what == RecordedChange::kPanel) return change.value != 0.0 ? "panel=on" : "panel=off";
    if (change.what == RecordedChange::kDrawable) {
        const LiveView view = ResizedView(change);
        return "drawable=" + std::to_string(view.width) + "x" + std::to_string(view.height);
    }
    SimulationParameters holder;
    bool panel = false;
    ApplyChange(change, holder, panel);
    const TunedValue &row = kTunedValues[change.what];
    return std::string(row.name) + "=" + ValueText(row, holder);
}

bool Whole(std::string_view text, std::uint32_t &value) { return ReadWhole(text, value) == NumberRead::Ok; }

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

// Reads a recording line by line; each method false with `problem` set.
class Parser {
public:
    explicit Parser(Recording &recording) : r_(recording), previous_(0) {}

    bool Line(std::string_view line, std::string &problem) {
        const std::vector<std::string_view> words = Words(line);
        if (words.empty()) return true;
        const std::string_view key = words[0];
        if (!formatSeen_) {
            if (key != "nimbrel-recording" || words.size() != 2 || !Whole(words[1], format_))
                return Fail(problem, "not a Nimbrel recording: it must begin \"nimbrel-recording " +
                                         std::to_string(kRecordingFormat) + "\"");
            if (format_ < 1 || format_ > static_cast<std::uint32_t>(kRecordingFormat))
                return Fail(problem, "a recording of format " + std::string(words[1]) +
                                         "; this program reads formats 1 to " + std::to_string(kRecordingFormat));
            formatSeen_ = true;
            return true;
        }
        if (ended_) return Fail(problem, "\"" + std::string(key) + "\" after the closing line");
        if (key == "end" && format_ >= 2) {
            std::uint32_t frames = 0;
            if (!HeaderSeen() || words.size() != 2 || !Whole(words[1], frames) || frames != r_.FrameCount())
                return Fail(problem, "end: must close the recording with the number of its frames (" +
                                         std::to_string(r_.FrameCount()) + ")");
            ended_ = true;
            return true;
        }
        if (key == "run:" || key == "frame:") {
            if (!HeaderSeen())
                return Fail(problem, "frames before the header's written-by, drawable, start and clock lines");
            if (key == "run:") {
                if (words.size() < 2) return Fail(problem, "a run with no frames");
                for (std::size_t i = 1; i < words.size(); ++i)
                    if (!Frame(words[i], problem)) return false;
                return true;
            }
            if (words.size() < 2) return Fail(problem, "a frame with no clock steps");
            if (!Frame(words[1], problem)) return false;
            for (std::size_t i = 2; i < words.size(); ++i)
                if (!Change(words[i], static_cast<std::uint32_t>(r_.FrameCount() - 1), problem)) return false;
            return true;
        }
        if (clockSeen_) return Fail(problem, "\"" + std::string(key) + "\" after the frames began");
        if ((key == "written-by" && writtenBySeen_) || (key == "drawable" && drawableSeen_) ||
            (key == "start" && startSeen_) || (key == "renderer" && !r_.renderer.empty()))
            return Fail(problem, "a second \"" + std::string(key) + "\" line");
        if (key == "written-by" && words.size() == 2) {
            r_.writtenBy = std::string(words[1]);
            writtenBySeen_ = true;
            return true;
        }
        if (key == "drawable" && words.size() == 2) {
            if (!Drawable(words[1], 1, r_.width, r_.height, problem)) return false;
            drawableSeen_ = true;
            return true;
        }
        if (key == "renderer") {
            if (words.size() != 2 || (words[1] != "cpu" && words[1] != "gl"))
                return Fail(problem, "renderer: must be cpu or gl");
            r_.renderer = std::string(words[1]);
            return true;
        }
        if (key == "start") {
            for (std::size_t i = 1; i < words.size(); ++i)
                if (!Value(words[i], r_.start, r_.panelAtStart, nullptr, problem)) return false;
            startSeen_ = true;
            return true;
        }
        if (key == "clock" && words.size() == 2) {
            if (!Whole(words[1], r_.firstReading)) return Fail(problem, "clock: must be a whole number of milliseconds");
            previous_ = r_.firstReading;
            clockSeen_ = true;
            return true;
        }
        return Fail(problem, "unknown line \"" + std::string(key) +
                                 "\" (known: written-by, drawable, renderer, start, clock, run:, frame:, end)");
    }

    bool Finish(std::string &problem) const {
        if (!formatSeen_) return Fail(problem, "empty: not a Nimbrel recording");
        if (!HeaderSeen()) return Fail(problem, "the header is incomplete");
        return true;
    }

    // Whether the text closed the recording, as format 2 does.
    bool Closed() const { return ended_ || format_ < 2; }
    // Whether the format records resizes.
    bool RecordsResizes() const { return format_ >= 3; }

private:
    bool HeaderSeen() const { return writtenBySeen_ && drawableSeen_ && startSeen_ && clockSeen_; }

    static bool Fail(std::string &problem, const std::string &what) {
        problem = what;
        return false;
    }

    // WIDTHxHEIGHT, each side from `least` to 65535: the session's first
    // drawable is never empty, a minimised window's may be.
    static bool Drawable(std::string_view text, long least, int &width, int &height, std::string &problem) {
        long w = 0, h = 0;
        if (ReadSize(text, w, h) != NumberRead::Ok || w < least || h < least || w > 65535 || h > 65535)
            return Fail(problem, "drawable: must be WIDTHxHEIGHT, such as 800x800");
        width = static_cast<int>(w);
        height = static_cast<int>(h);
        return true;
    }

    bool Frame(std::string_view steps, std::string &problem) {
        int count = 0;
        if (steps != "-") {
            for (std::size_t start = 0; start <= steps.size();) {
                std::size_t end = steps.find('+', start);
                if (end == std::string_view::npos) end = steps.size();
                std::uint32_t step = 0;
                if (!Whole(steps.substr(start, end - start), step) || ++count > 255)
                    return Fail(problem, "\"" + std::string(steps) +
                                             "\": clock steps are whole milliseconds joined by '+', or '-' for none");
                previous_ += step;
                r_.readings.push_back(previous_);
                start = end + 1;
            }
        }
        r_.readingsInFrame.push_back(static_cast<std::uint8_t>(count));
        return true;
    }

    bool Change(std::string_view word, std::uint32_t frame, std::string &problem) {
        RecordedChange change;
        change.frame = frame;
        if (word == "shot") {
            change.what = RecordedChange::kScreenshot;
            r_.changes.push_back(change);
            return true;
        }
        if (word.rfind("drawable=", 0) == 0) {
            int width = 0, height = 0;
            if (!Drawable(word.substr(9), 0, width, height, problem)) return false;
            r_.changes.push_back(DrawableChange(frame, width, height));
            return true;
        }
        SimulationParameters params;
        bool panel = false;
        if (!Value(word, params, panel, &change, problem)) return false;
        r_.changes.push_back(change);
        return true;
    }

    // NAME=VALUE, or panel=on|off: set in `params` and `panel`, and
    // described in `change` when given.
    static bool Value(std::string_view word, SimulationParameters &params, bool &panel, RecordedChange *change,
                      std::string &problem) {
        const std::size_t equals = word.find('=');
        if (equals == std::string_view::npos)
            return Fail(problem, "\"" + std::string(word) + "\" is not NAME=VALUE (or shot)");
        const std::string_view name = word.substr(0, equals), text = word.substr(equals + 1);
        if (name == "panel") {
            if (text != "on" && text != "off") return Fail(problem, "panel: must be on or off");
            panel = text == "on";
            if (change) *change = {change->frame, RecordedChange::kPanel, panel ? 1.0 : 0.0};
            return true;
        }
        const TunedValue *row = FindValue(name);
        if (!row) return Fail(problem, "unknown name \"" + std::string(name) + "\"");
        std::string why;
        if (!ParseValueText(*row, text, params, why)) return Fail(problem, std::string(name) + ": " + why);
        if (change) {
            change->what = static_cast<std::uint8_t>(IndexOf(*row));
            change->value = ValueOf(*row, params);
        }
        return true;
    }

    Recording &r_;
    std::uint32_t previous_;
    std::uint32_t format_ = 0;
    bool formatSeen_ = false, writtenBySeen_ = false, drawableSeen_ = false, startSeen_ = false, clockSeen_ = false;
    bool ended_ = false;
};

}  // namespace

RecordedChange DrawableChange(std::uint32_t frame, int width, int height) {
    return {frame, RecordedChange::kDrawable, static_cast<double>(width) * 65536.0 + static_cast<double>(height)};
}

LiveView ResizedView(const RecordedChange &change) {
    const auto packed = static_cast<std::uint32_t>(change.value);
    return {static_cast<int>(packed >> 16), static_cast<int>(packed & 0xFFFFu), true};
}

void ApplyChange(const RecordedChange &change, SimulationParameters &params, bool &panelShown) {
    if (change.what == RecordedChange::kScreenshot) return;
    if (change.what == RecordedChange::kPanel) {
        panelShown = change.value != 0.0;
        return;
    }
    if (change.what >= kTunedValues.size()) return;
    const TunedValue &row = kTunedValues[change.what];
    switch (row.kind) {
    case ValueKind::Flag: params.*row.flag = change.value != 0.0; break;
    case ValueKind::Count: SetParticleCount(params, static_cast<std::int32_t>(change.value)); break;
    case ValueKind::Number: params.*row.number = static_cast<float>(change.value); break;
    }
}

std::vector<std::uint64_t> Recording::FrameTimes() const {
    std::vector<std::uint64_t> times;
    times.reserve(readingsInFrame.size());
    std::size_t reading = 0;
    std::uint32_t previous = firstReading;
    std::uint64_t elapsed = 0;
    for (const std::uint8_t count : readingsInFrame) {
        for (int i = 0; i < count; ++i, ++reading) {
            elapsed += static_cast<std::uint32_t>(readings[reading] - previous);
            previous = readings[reading];
        }
        times.push_back(elapsed);
    }
    return times;
}

SimulationParameters Recording::FinalValues(bool *panelShown) const {
    SimulationParameters params = start;
    bool panel = panelAtStart;
    for (const RecordedChange &change : changes) ApplyChange(change, params, panel);
    if (panelShown) *panelShown = panel;
    return params;
}

std::string RecordingText::Header(const std::string &writtenBy, int width, int height, const std::string &renderer,
                                  const SimulationParameters &start, bool panelAtStart) {
    std::string text = "# Nimbrel recording: a session's clock readings and changes, frame by frame.\n"
                       "# \"run:\" lists frames with no change by their clock steps (milliseconds\n"
                       "# since the reading before; '+' joins two readings of one frame); \"frame:\"\n"
                       "# is one frame, its steps, then its changes, which come before it is drawn;\n"
                       "# \"end\" closes a whole session with the number of its frames.\n";
    text += "nimbrel-recording " + std::to_string(kRecordingFormat) + "\n";
    text += "written-by " + writtenBy + "\n";
    text += "drawable " + std::to_string(width) + "x" + std::to_string(height) + "\n";
    if (!renderer.empty()) text += "renderer " + renderer + "\n";
    text += "start";
    for (const TunedValue &row : kTunedValues) text += std::string(" ") + row.name + "=" + ValueText(row, start);
    text += panelAtStart ? " panel=on\n" : " panel=off\n";
    return text;
}

void RecordingText::Clock(std::string &out, std::uint32_t firstReading) {
    previous_ = firstReading;
    out += "clock ";
    AppendNumber(out, firstReading);
    out += "\n";
    clockWritten_ = true;
}

void RecordingText::Frame(std::string &out, const std::uint32_t *readings, int count, const RecordedChange *changes,
                          std::size_t changeCount) {
    if (!clockWritten_) Clock(out, count > 0 ? readings[0] : 0);
    const bool changed = changeCount > 0;
    if (changed || inRun_ == kFramesPerRun) EndRun(out);
    out += changed ? "frame: " : inRun_ == 0 ? "run: " : " ";
    std::uint64_t frameMs = 0;
    for (int i = 0; i < count; ++i) {
        const std::uint32_t step = readings[i] - previous_;
        if (i > 0) out += '+';
        AppendNumber(out, step);
        frameMs += step;
        previous_ = readings[i];
    }
    if (count == 0) out += '-';
    ++frames_;
    if (!changed) {
        ++inRun_;
        runMs_ += frameMs;
        return;
    }
    for (std::size_t i = 0; i < changeCount; ++i) out += " " + ChangeText(changes[i]);
    out += "\n";
}

void RecordingText::EndRun(std::string &out) {
    if (inRun_ == 0) return;
    out += "\n";
    inRun_ = 0;
    runMs_ = 0;
}

std::string RecordingText::Closing() const { return "end " + std::to_string(frames_) + "\n"; }

std::string FormatRecording(const Recording &recording) {
    std::string text = RecordingText::Header(recording.writtenBy, recording.width, recording.height,
                                             recording.renderer, recording.start, recording.panelAtStart);
    RecordingText frames;
    frames.Clock(text, recording.firstReading);
    std::size_t reading = 0, change = 0;
    for (std::size_t frame = 0; frame < recording.FrameCount(); ++frame) {
        const std::size_t firstChange = change;
        while (change < recording.changes.size() && recording.changes[change].frame == frame) ++change;
        const int count = recording.readingsInFrame[frame];
        frames.Frame(text, recording.readings.data() + reading, count, recording.changes.data() + firstChange,
                     change - firstChange);
        reading += static_cast<std::size_t>(count);
    }
    frames.EndRun(text);
    return text + frames.Closing();
}

RecordingLoad ParseRecording(std::string_view text, const std::string &fileName) {
    RecordingLoad load;
    const auto fail = [&](std::size_t line, const std::string &what) {
        load = RecordingLoad{};
        load.error = LineProblem(fileName, line, what);
        return load;
    };
    if (text.size() > kMaxRecordingBytes) return fail(0, "larger than " + SizeWords(kMaxRecordingBytes));
    if (const std::size_t line = FirstNonTextLine(text)) return fail(line, kOnlyText);
    Parser parser(load.recording);
    std::size_t number = 0;
    std::string problem;
    // A last line without its line end was cut in the middle: it is left
    // out whole, so that a cut never changes a value.
    const bool cutInLine = !text.empty() && text.back() != '\n';
    const std::size_t whole = cutInLine ? text.rfind('\n') + 1 : text.size();
    for (std::size_t start = 0; start < whole;) {
        std::size_t end = text.find('\n', start);
        ++number;
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        line = line.substr(0, line.find('#'));
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!parser.Line(line, problem)) return fail(number, problem);
    }
    if (!parser.Finish(problem)) return fail(0, problem);
    load.ok = true;
    Recording &r = load.recording;
    r.cut = cutInLine || !parser.Closed();
    r.resizesRecorded = parser.RecordsResizes();
    if (!r.resizesRecorded)
        load.notice = fileName + ": a recording from before resizes were recorded: it replays with the view the "
                                 "session began with throughout";
    if (r.cut) {
        if (!load.notice.empty()) load.notice += "\n";
        const std::vector<std::uint64_t> times = r.FrameTimes();
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.1f", times.empty() ? 0.0 : static_cast<double>(times.back()) / 1000.0);
        load.notice += fileName + ": a session cut short (no closing line): its " + std::to_string(r.FrameCount()) +
                      " whole frames, " + seconds + " s, are kept";
    }
    return load;
}

RecordingLoad ReadRecordingFile(const std::string &path) {
    std::string text;
    RecordingLoad load;
    if (ReadTextFile(path, kMaxRecordingBytes, text, load.error)) return ParseRecording(text, path);
    return load;
}
