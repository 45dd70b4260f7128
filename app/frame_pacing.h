// Frames no faster than they can be seen, and none that nobody sees: what
// paces the frame loop (app/frame_loop.h). The loop waits for the next
// frame's time by waiting for window events, so that a key or a drag is
// still taken at once; while nobody can see the window it draws nothing
// and sleeps, and the simulation's clamped step absorbs the gap.
#pragma once

#include <cstdint>

// Sleeps until a window-system event waits or `timeoutMs` pass.
using EventWait = void (*)(std::uint32_t timeoutMs);
// Whether anyone can see the window at the clock reading `now`.
using VisibilityCheck = bool (*)(std::uint32_t now);

struct FramePacing {
    double intervalMs = 0.0;   // the least time between frames; 0: as fast as they are drawn
    EventWait wait = nullptr;  // none: one frame every pass, unpaced, as the loop always drew
    VisibilityCheck seen = nullptr;  // none: always seen
};

// While nobody sees the window, how long the loop sleeps between looks at
// whether somebody does (the events that change it wake it sooner).
constexpr std::uint32_t kUnseenWaitMs = 250;

// When the next frame is due, on the millisecond clock, which may wrap.
// The interval need not be a whole number of milliseconds: the frames of
// 60 a second come 16 or 17 ms apart, 60 in each second.
class FrameSchedule {
public:
    explicit FrameSchedule(double intervalMs) : intervalMs_(intervalMs) {}

    // Whether a frame is due at `now`; the first always is.
    bool Due(std::uint32_t now) const;
    // Milliseconds from `now` until the next frame is due, at least 1.
    std::uint32_t MsUntilDue(std::uint32_t now) const;
    // A frame was drawn at `now`: the next is due an interval after this
    // one was, or at once where drawing fell behind by more than that
    // (late frames are not made up for).
    void Drawn(std::uint32_t now);

private:
    // The frame due next is frames_ intervals after the reading epoch_: a
    // product, not a running sum, so that no rounding builds up.
    double DueAfterEpoch() const { return static_cast<double>(frames_) * intervalMs_; }

    double intervalMs_;
    bool started_ = false;
    std::uint32_t epoch_ = 0;  // a clock reading
    std::uint64_t frames_ = 0;
};
