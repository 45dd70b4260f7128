// The frame loop's schedule: due times a fractional interval apart.
#include "app/frame_pacing.h"

#include <cmath>

namespace {
// Far below a millisecond, far above a double's rounding of k intervals.
constexpr double kSlackMs = 1e-6;
}  // namespace

bool FrameSchedule::Due(std::uint32_t now) const {
    return !started_ || intervalMs_ <= 0.0 || static_cast<double>(now - epoch_) + kSlackMs >= DueAfterEpoch();
}

std::uint32_t FrameSchedule::MsUntilDue(std::uint32_t now) const {
    if (Due(now)) return 1;
    const double left = DueAfterEpoch() - static_cast<double>(now - epoch_) - kSlackMs;
    return static_cast<std::uint32_t>(std::ceil(left));
}

void FrameSchedule::Drawn(std::uint32_t now) {
    // The first frame, or one late by an interval or more, starts the
    // count afresh from its own time: late frames are not made up for.
    if (!started_ || static_cast<double>(now - epoch_) >= DueAfterEpoch() + intervalMs_) {
        started_ = true;
        epoch_ = now;
        frames_ = 0;
    }
    ++frames_;
}
