// The panel's frame timings, averaged over half a second.
#include "panel/frame_timer.h"

namespace {
constexpr double kWindowMs = 500.0;
}  // namespace

void FrameTimer::FrameStarts(Clock::time_point start, double simulationMs, double workMs) {
    if (haveLastStart_) {
        ++frames_;
        periodMs_ += std::chrono::duration<double, std::milli>(start - lastStart_).count();
        recent_[static_cast<std::size_t>(next_)] = static_cast<float>(workMs);
        next_ = (next_ + 1) % kGraphFrames;
        simulationMs_ += simulationMs;
        workMs_ += workMs;
        if (periodMs_ >= kWindowMs) {
            shown_.measured = true;
            shown_.fps = frames_ * 1000.0 / periodMs_;
            shown_.simulationMs = simulationMs_ / frames_;
            shown_.drawingMs = (workMs_ - simulationMs_) / frames_;
            changed_ = true;
            for (int i = 0; i < kGraphFrames; ++i)
                graph_[static_cast<std::size_t>(i)] = recent_[static_cast<std::size_t>((next_ + i) % kGraphFrames)];
            frames_ = 0;
            periodMs_ = simulationMs_ = workMs_ = 0.0;
        }
    }
    haveLastStart_ = true;
    lastStart_ = start;
}

bool FrameTimer::TakeChanged() {
    const bool changed = changed_;
    changed_ = false;
    return changed;
}
