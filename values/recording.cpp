// The recording's text format, written and read back all or nothing.
#include "values/recording.h"

#include <cstring>

#include "values/tuned_values.h"
#include "io/text.h"
#include "sim/particles.h"

namespace {

constexpr std::size_t kFramesPerRun = 20;  // a line of a run, for reading

std::string ChangeText(const RecordedChange &change) {
    if (change.what == RecordedChange::kScreenshot) return "shot";
    if (change.what == RecordedChange::kPanel) return change.value != 0.0 ? "panel=on" : "panel=off";
    SimulationParameters holder;
    bool panel = false;
    ApplyChange(change, holder, panel);
    const TunedValue &row = kTunedValues[change.what];
    return std::string(row.name) + "=" + ValueText(row, holder);
}

// One frame's clock steps: "16", "0+16", or "-" for none.
std::string Steps(const Recording &recording, std::size_t &reading, std::size_t frame, std::uint32_t &previous) {
    const int count = recording.readingsInFrame[frame];
    if (count == 0) return "-";
    std::string steps;
    for (int i = 0; i < count; ++i, ++reading) {
        const std::uint32_t now = recording.readings[reading];
        steps += (i ? "+" : "") + std::to_string(static_cast<std::uint32_t>(now - previous));
        previous = now;
    }
    return steps;
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
            std::uint32_t format = 0;
            if (key != "nimbrel-recording" || words.size() != 2 || !Whole(words[1], format))
                return Fail(problem, "not a Nimbrel recording: it must begin \"nimbrel-recording " +
                                         std::to_string(kRecordingFormat) + "\"");
            if (format != static_cast<std::uint32_t>(kRecordingFormat))
                return Fail(problem, "a recording of format " + std::string(words[1]) + "; this program reads format " +
                                         std::to_string(kRecordingFormat));
            formatSeen_ = true;
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
        if (key == "written-by" && words.size() == 2) {
            r_.writtenBy = std::string(words[1]);
            writtenBySeen_ = true;
            return true;
        }
        if (key == "drawable" && words.size() == 2) {
            long w = 0, h = 0;
            if (ReadSize(words[1], w, h) != NumberRead::Ok || w < 1 || h < 1 || w > 65535 || h > 65535)
                return Fail(problem, "drawable: must be WIDTHxHEIGHT, such as 800x800");
            r_.width = static_cast<int>(w);
            r_.height = static_cast<int>(h);
            drawableSeen_ = true;
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
                                 "\" (known: written-by, drawable, start, clock, run:, frame:)");
    }

    bool Finish(std::string &problem) const {
        if (!formatSeen_) return Fail(problem, "empty: not a Nimbrel recording");
        if (!HeaderSeen()) return Fail(problem, "the header is incomplete");
        return true;
    }

private:
    bool HeaderSeen() const { return writtenBySeen_ && drawableSeen_ && startSeen_ && clockSeen_; }

    static bool Fail(std::string &problem, const std::string &what) {
        problem = what;
        return false;
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
    bool formatSeen_ = false, writtenBySeen_ = false, drawableSeen_ = false, startSeen_ = false, clockSeen_ = false;
};

}  // namespace

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

std::vector<std::uint32_t> Recording::FrameTimes() const {
    std::vector<std::uint32_t> times;
    times.reserve(readingsInFrame.size());
    std::size_t reading = 0;
    std::uint32_t last = 0;
    for (const std::uint8_t count : readingsInFrame) {
        reading += count;
        if (count > 0) last = readings[reading - 1] - firstReading;
        times.push_back(last);
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

std::string FormatRecording(const Recording &recording) {
    std::string text = "# Nimbrel recording: a session's clock readings and changes, frame by frame.\n"
                       "# \"run:\" lists frames with no change by their clock steps (milliseconds\n"
                       "# since the reading before; '+' joins two readings of one frame); \"frame:\"\n"
                       "# is one frame, its steps, then its changes, which come before it is drawn.\n";
    text += "nimbrel-recording " + std::to_string(kRecordingFormat) + "\n";
    text += "written-by " + recording.writtenBy + "\n";
    text += "drawable " + std::to_string(recording.width) + "x" + std::to_string(recording.height) + "\n";
    text += "start";
    for (const TunedValue &row : kTunedValues)
        text += std::string(" ") + row.name + "=" + ValueText(row, recording.start);
    text += recording.panelAtStart ? " panel=on\n" : " panel=off\n";
    text += "clock " + std::to_string(recording.firstReading) + "\n";

    std::size_t reading = 0, change = 0, inRun = 0;
    std::uint32_t previous = recording.firstReading;
    for (std::size_t frame = 0; frame < recording.FrameCount(); ++frame) {
        const bool changed = change < recording.changes.size() && recording.changes[change].frame == frame;
        if (changed || inRun == kFramesPerRun) {
            if (inRun > 0) text += "\n";
            inRun = 0;
        }
        const std::string steps = Steps(recording, reading, frame, previous);
        if (!changed) {
            text += (inRun == 0 ? "run: " : " ") + steps;
            ++inRun;
            continue;
        }
        text += "frame: " + steps;
        for (; change < recording.changes.size() && recording.changes[change].frame == frame; ++change)
            text += " " + ChangeText(recording.changes[change]);
        text += "\n";
    }
    if (inRun > 0) text += "\n";
    return text;
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
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        ++number;
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        line = line.substr(0, line.find('#'));
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!parser.Line(line, problem)) return fail(number, problem);
    }
    if (!parser.Finish(problem)) return fail(0, problem);
    load.ok = true;
    return load;
}

RecordingLoad ReadRecordingFile(const std::string &path) {
    std::string text;
    RecordingLoad load;
    if (ReadTextFile(path, kMaxRecordingBytes, text, load.error)) return ParseRecording(text, path);
    return load;
}
