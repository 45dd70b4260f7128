// What a capture draws, frame by frame: its own frames at --fps with the
// key script's presses, or a recording's, played smoothly at --fps or
// exactly as they were drawn live, within --from and --to.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "app/app.h"
#include "values/live_view.h"
#include "values/recording.h"
#include "values/replay.h"
#include "capture/options.h"

struct PlannedFrame {
    bool drawn = true;        // false: the smoke steps, unseen
    bool inPart = true;       // within --from and --to
    bool beyondPart = false;  // past --to: the capture ends
    int number = 0;           // its number, for its PNG file
    std::uint64_t videoCopies = 1;  // how many of the video's frames show it
    std::uint32_t now = 0;    // the clock's reading before it
    // The live view it is drawn with: for its PNG file and the video, the
    // last one that was not empty; for its screenshot, its own.
    LiveView view;
    LiveView shotView;
};

class FramePlan {
public:
    // The plan drives `app`: its values, its keys, its panel and the
    // screenshots asked of it.
    FramePlan(const CaptureOptions &options, const Recording *recording, App &app);

    int Total() const { return total_; }
    // How many frames lie in the part asked for (--from, --to).
    int InPartCount() const { return inPart_; }
    // How long the recording's session lasts, in milliseconds.
    std::uint64_t SessionMs() const;
    // A recording's start values and panel, before the pool is filled.
    void Start();
    // The values and the presses for frame `k` (from 1), the clock's
    // reading before it, and what becomes of it.
    PlannedFrame Prepare(int k);
    // The numbers of the PNG files the capture writes.
    std::vector<int> PngNumbers(int every) const;
    // The surface every frame and screenshot fits in: the frames' size,
    // or a larger screenshot's taken live.
    void SurfaceSize(int &width, int &height) const;

private:
    std::uint64_t ClockOf(std::uint64_t k) const;  // the capture's clock before frame k
    // Where frame k's time lies against the part (from, to]: -1 before it,
    // 0 in it, 1 past it.
    int PartAgainst(int k) const;
    bool Png(int number) const;
    // The video's ticks (j from 1, at ClockOf(j)) whose clock lies in
    // [from, to), and whose time lies within the part: how many.
    std::uint64_t TicksIn(std::uint64_t from, std::uint64_t to) const;

    const CaptureOptions &options_;
    App &app_;
    std::unique_ptr<Replay> replay_;
    int total_ = 0;
    int inPart_ = 0;
    std::size_t nextPress_ = 0;
    std::vector<int> videoCopies_;  // an exact replay's, each live frame's
    LiveView view_;                 // the last live view that was not empty
};
