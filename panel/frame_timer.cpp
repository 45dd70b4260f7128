// The panel's frame timings, averaged over half a second.
#include "panel/frame_timer.h"

namespace {
constexpr double kWindowMs = 500.0;
}  // namespace

void FrameTimer::FrameStarts(Clock::time_point start, double simulationMs) {
    if (haveLastStart_) {
        ++frames_;
        const double frameMs = std::chrono::duration<double, std::milli>(start - lastStart_).count();
        periodMs_ += frameMs;
        recent_[static_cast<std::size_t>(next_)] = static_cast<float>(frameMs);
        next_ = (next_ + 1) % kGraphFrames;
        simulationMs_ += simulationMs;
        if (periodMs_ >= kWindowMs) {
            shown_.measured = true;
            shown_.fps = frames_ * 1000.0 / periodMs_;
            shown_.simulationMs = simulationMs_ / frames_;
            shown_.drawingMs = (periodMs_ - simulationMs_) / frames_;
            changed_ = true;
            for (int i = 0; i < kGraphFrames; ++i)
                graph_[static_cast<std::size_t>(i)] = recent_[static_cast<std::size_t>((next_ + i) % kGraphFrames)];
            frames_ = 0;
            periodMs_ = simulationMs_ = 0.0;
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
