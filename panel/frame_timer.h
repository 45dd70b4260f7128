// The panel's frame timings: the frame rate and the simulation's and the
// drawing's share of a frame's own work, averaged over half a second of
// frames, and the last few seconds of that work for a graph, renewed with
// them. A frame's own work leaves out the wait for the next frame's time,
// so that a capped rate still shows what a frame costs.
#pragma once

#include <array>
#include <chrono>

#include "panel/panel_text.h"

class FrameTimer {
public:
    using Clock = std::chrono::steady_clock;

    // A frame begins at `start`; the one before it took `simulationMs` in
    // the simulation step and `workMs` in all. The first frame after a
    // Forget only marks time.
    void FrameStarts(Clock::time_point start, double simulationMs, double workMs);
    // The frames before no longer count: the panel was hidden.
    void Forget() { haveLastStart_ = false; }

    const FrameTimings &Shown() const { return shown_; }
    // The last kGraphFrames frames' own work in milliseconds, the oldest first
    // (zero before there were so many), as of the latest renewal.
    static constexpr int kGraphFrames = 240;  // four seconds at 60 frames a second
    const std::array<float, kGraphFrames> &Graph() const { return graph_; }
    // Whether Shown changed since the last call.
    bool TakeChanged();

private:
    bool haveLastStart_ = false;
    Clock::time_point lastStart_;
    int frames_ = 0;
    double periodMs_ = 0.0, simulationMs_ = 0.0, workMs_ = 0.0;
    FrameTimings shown_;
    std::array<float, kGraphFrames> recent_{};  // a ring, next_ the oldest
    int next_ = 0;
    std::array<float, kGraphFrames> graph_{};
    bool changed_ = false;
};
