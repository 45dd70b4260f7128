#include "app/replay.h"

#include "app/key_actions.h"
#include "sim/clock.h"
#include "sim/parameters.h"

namespace {

// The exact replay's clock: the readings of the frame being drawn, in
// turn; past them, the last again.
const std::uint32_t *readings = nullptr;
std::size_t readingsLeft = 0;
std::uint32_t lastReading = 0;

std::uint32_t ReplayClock() {
    if (readingsLeft > 0) {
        lastReading = *readings++;
        --readingsLeft;
    }
    return lastReading;
}

}  // namespace

Replay::Replay(const Recording &recording)
    : recording_(recording), times_(recording.FrameTimes()), shots_(recording.FrameCount(), false) {
    std::size_t reading = 0;
    for (const std::uint8_t count : recording.readingsInFrame) {
        firstReading_.push_back(reading);
        reading += count;
    }
    for (const RecordedChange &change : recording.changes)
        if (change.what == RecordedChange::kScreenshot && change.frame < shots_.size()) shots_[change.frame] = true;
    lastReading = recording.firstReading;
}

Replay::~Replay() {
    readings = nullptr;
    readingsLeft = 0;
}

void Replay::Start() {
    gParams = recording_.start;
    gReadoutShown = recording_.panelAtStart;
    nextChange_ = nextFrame_ = 0;
}

bool Replay::ApplyBefore(std::size_t frame) {
    bool screenshot = false;
    for (; nextChange_ < recording_.changes.size() && recording_.changes[nextChange_].frame <= frame; ++nextChange_) {
        const RecordedChange &change = recording_.changes[nextChange_];
        // A frame's screenshot is of the frame itself: it waits for it.
        if (change.what == RecordedChange::kScreenshot && change.frame == frame) break;
        screenshot = screenshot || change.what == RecordedChange::kScreenshot;
        ApplyChange(change, gParams, gReadoutShown);
    }
    return screenshot;
}

void Replay::BeginExactFrame(std::size_t frame) {
    ApplyBefore(frame);
    readings = recording_.readings.data() + firstReading_[frame];
    readingsLeft = recording_.readingsInFrame[frame];
    SetMillisecondClock(ReplayClock);
}

bool Replay::ScreenshotIn(std::size_t frame) const { return frame < shots_.size() && shots_[frame]; }

bool Replay::ApplyUpTo(std::uint32_t sessionMs) {
    bool screenshot = false;
    while (nextFrame_ < times_.size() && times_[nextFrame_] <= sessionMs) {
        // The frame's own changes, and the screenshot of it.
        screenshot = ApplyBefore(nextFrame_) || screenshot;
        for (; nextChange_ < recording_.changes.size() && recording_.changes[nextChange_].frame == nextFrame_;
             ++nextChange_)
            screenshot = screenshot || recording_.changes[nextChange_].what == RecordedChange::kScreenshot;
        ++nextFrame_;
    }
    return screenshot;
}
