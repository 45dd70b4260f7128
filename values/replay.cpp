// A recording replayed into the state it is handed, with its own clock.
#include "values/replay.h"

#include <algorithm>

Replay::Replay(const Recording &recording)
    : recording_(recording), times_(recording.FrameTimes()), shots_(recording.FrameCount(), false),
      lastReading_(recording.firstReading), view_(recording.StartView()) {
    std::size_t reading = 0;
    for (const std::uint8_t count : recording.readingsInFrame) {
        firstReading_.push_back(reading);
        reading += count;
    }
    for (const RecordedChange &change : recording.changes)
        if (change.what == RecordedChange::kScreenshot && change.frame < shots_.size()) shots_[change.frame] = true;
}

void Replay::Start(SimulationParameters &params, bool &panelShown) const {
    params = recording_.start;
    panelShown = recording_.panelAtStart;
}

bool Replay::ApplyBefore(std::size_t frame, SimulationParameters &params, bool &panelShown) {
    bool screenshot = false;
    for (; nextChange_ < recording_.changes.size() && recording_.changes[nextChange_].frame <= frame; ++nextChange_) {
        const RecordedChange &change = recording_.changes[nextChange_];
        // A frame's screenshot is of the frame itself: it waits for it.
        if (change.what == RecordedChange::kScreenshot && change.frame == frame) break;
        screenshot = screenshot || change.what == RecordedChange::kScreenshot;
        if (change.what == RecordedChange::kDrawable) view_ = ResizedView(change);
        ApplyChange(change, params, panelShown);
    }
    return screenshot;
}

std::uint32_t Replay::BeginExactFrame(std::size_t frame, SimulationParameters &params, bool &panelShown,
                                      SmokeState &smoke) {
    ApplyBefore(frame, params, panelShown);
    // The frame's readings in turn, as its update read them; past them, the
    // last again. The first update read the clock twice: once to start from.
    const std::uint32_t *readings = recording_.readings.data() + firstReading_[frame];
    const int count = recording_.readingsInFrame[frame];
    int next = 0;
    const auto read = [&] {
        if (next < count) lastReading_ = readings[next++];
        return lastReading_;
    };
    if (!smoke.clockStarted) StartSmokeClock(smoke, read());
    return read();
}

bool Replay::ScreenshotIn(std::size_t frame) const { return frame < shots_.size() && shots_[frame]; }

void Replay::LargestShotView(int &width, int &height) const {
    LiveView view = recording_.StartView();
    width = height = 0;
    for (const RecordedChange &change : recording_.changes) {
        if (change.what == RecordedChange::kDrawable) view = ResizedView(change);
        if (change.what != RecordedChange::kScreenshot) continue;
        width = std::max(width, view.width);
        height = std::max(height, view.height);
    }
}

bool Replay::ApplyUpTo(std::uint64_t sessionMs, SimulationParameters &params, bool &panelShown) {
    bool screenshot = false;
    while (nextFrame_ < times_.size() && times_[nextFrame_] <= sessionMs) {
        // The frame's own changes, and the screenshot of it.
        screenshot = ApplyBefore(nextFrame_, params, panelShown) || screenshot;
        for (; nextChange_ < recording_.changes.size() && recording_.changes[nextChange_].frame == nextFrame_;
             ++nextChange_)
            screenshot = screenshot || recording_.changes[nextChange_].what == RecordedChange::kScreenshot;
        ++nextFrame_;
    }
    return screenshot;
}
