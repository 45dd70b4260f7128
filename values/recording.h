// A recorded session: everything the smoke and the picture depended on,
// frame by frame — the clock readings each frame's update took, and every
// change since the frame before to the values (by their preset names), to
// the panel shown or hidden, to the drawable (values/live_view.h), and the
// screenshots taken. The simulation is
// a pure function of its start, the clock readings and the values, so a
// recording replays the session exactly. No GL.
//
// As text, a person can read it, cut it and edit a value:
//
//   # Nimbrel recording
//   nimbrel-recording 3            # the format; the first line that is not a comment
//   written-by 1.0.0
//   drawable 800x800
//   renderer cpu                   # what drew it: cpu (the sprite rasterizer) or gl
//   start drift_speed=-5.0 ... pitch=0.0 panel=off
//   clock 81234                    # the first reading, in milliseconds
//   run: 0+16 17 16 17             # frames with no change: each one's clock steps
//   frame: 17 sprite_size=34.0     # a frame with its changes, which come before it
//   frame: 16 panel=on shot        # ... and a screenshot taken of it
//   frame: 17 drawable=1024x1024   # a resize: the drawable and its projection
//   end 6                          # the closing line: the session is whole, 6 frames
//
// A clock step is the milliseconds since the reading before; a frame that
// read the clock twice has two, joined by '+', and one that read it not at
// all has '-'. The text is written as the session runs; a session cut
// short (a crash, a killed process) has no closing line, and loads up to
// its last whole line. Format 1, from before the closing line, and format
// 2, from before resizes were recorded, still load.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/parameters.h"
#include "values/live_view.h"

constexpr int kRecordingFormat = 3;
// Files beyond this are refused unread: hours at any frame rate.
constexpr std::size_t kMaxRecordingBytes = 32u << 20;

// A change before a frame: a value by its index in kTunedValues, the
// panel shown or hidden, a resize, or a screenshot of the frame.
struct RecordedChange {
    static constexpr std::uint8_t kDrawable = 0xFD;    // value: width x 65536 + height
    static constexpr std::uint8_t kPanel = 0xFE;       // value 1: shown, 0: hidden
    static constexpr std::uint8_t kScreenshot = 0xFF;  // after the frame is drawn
    std::uint32_t frame = 0;  // 0-based
    std::uint8_t what = 0;
    double value = 0.0;  // a float, a count or a flag, held exactly
};

struct Recording {
    std::string writtenBy;  // the version that wrote it
    int width = 0, height = 0;  // the drawable when the session began
    std::string renderer;       // "cpu" or "gl"; none said, from before it was kept: the GL
    SimulationParameters start;
    bool panelAtStart = false;
    std::uint32_t firstReading = 0;
    std::vector<std::uint32_t> readings;        // every clock reading, in order
    std::vector<std::uint8_t> readingsInFrame;  // how many each frame took; one entry a frame
    std::vector<RecordedChange> changes;        // by frame, in the order they were seen
    bool cut = false;  // read from a session cut short: no closing line
    bool resizesRecorded = true;  // false for a format before resizes were

    // The view the session began with: the drawable, the start-up projection.
    LiveView StartView() const { return {width, height, false}; }

    std::size_t FrameCount() const { return readingsInFrame.size(); }
    // Milliseconds from the first reading to the frame's last one (to the
    // frame before's, for a frame that read none), summed from the clock's
    // steps, so that neither a wrap of the clock nor any step overflows.
    std::vector<std::uint64_t> FrameTimes() const;
    // The values and the panel after every change.
    SimulationParameters FinalValues(bool *panelShown = nullptr) const;
};

// A recording's text as the session runs: the header, each frame as it
// ends (frames with no change joined on one line, up to 20), and the
// closing line. What each call returns is appended to the text before.
class RecordingText {
public:
    // The header's lines up to the clock's, which waits for the first
    // reading.
    static std::string Header(const std::string &writtenBy, int width, int height, const std::string &renderer,
                              const SimulationParameters &start, bool panelAtStart);
    // The clock's line: the session's first reading.
    void Clock(std::string &out, std::uint32_t firstReading);
    // A frame: its readings and its changes. Without a clock line before,
    // the frame's first reading gives it.
    void Frame(std::string &out, const std::uint32_t *readings, int count, const RecordedChange *changes,
               std::size_t changeCount);
    // Ends the line of a run of frames, so that the text so far is whole.
    void EndRun(std::string &out);
    // The closing line, after every frame; EndRun first.
    std::string Closing() const;

    std::size_t Frames() const { return frames_; }
    // Whether a run's line is open, and how many milliseconds it spans.
    bool InRun() const { return inRun_ > 0; }
    std::uint64_t RunMs() const { return runMs_; }

private:
    bool clockWritten_ = false;
    std::uint32_t previous_ = 0;
    std::size_t inRun_ = 0, frames_ = 0;
    std::uint64_t runMs_ = 0;
};

// The whole text of a recording, closing line and all.
std::string FormatRecording(const Recording &recording);

struct RecordingLoad {
    bool ok = false;
    Recording recording;
    // Why not, in one line naming the file and the line: "session.rec:
    // line 7: sprite_size: must be a number from 0 to 204".
    std::string error;
    // For a session cut short: how much of it there is, naming the file.
    std::string notice;
};

// Parses a recording's text, all or nothing; `fileName` names it in the
// messages. A text without its closing line (of format 2) or whose last
// line has no line end is a session cut short: its whole lines load, and
// `notice` says so.
RecordingLoad ParseRecording(std::string_view text, const std::string &fileName);

// Reads and parses the file at `path`, read as a file from outside
// (io/input_file.h) within kMaxRecordingBytes.
RecordingLoad ReadRecordingFile(const std::string &path);

// Applies one change to a parameter block and a panel flag; a screenshot
// and a resize change neither.
void ApplyChange(const RecordedChange &change, SimulationParameters &params, bool &panelShown);
// A resize as a change, and the view after it.
RecordedChange DrawableChange(std::uint32_t frame, int width, int height);
LiveView ResizedView(const RecordedChange &change);
