// The capture's plan: each frame's clock, values, presses and fate.
#include "capture/frame_plan.h"

#include <algorithm>

#include "app/key_actions.h"
#include "app/window_handler.h"

FramePlan::FramePlan(const CaptureOptions &options, const Recording *recording, App &app)
    : options_(options), app_(app) {
    total_ = options.frames;
    if (!recording) return;
    replay_ = std::make_unique<Replay>(*recording);
    if (!options.exact) {
        // As long as the session, within a frame.
        total_ = std::max(1, static_cast<int>(std::min<std::uint64_t>(
                                 static_cast<std::uint64_t>(replay_->Duration()) * options.fps / 1000, 1u << 30)));
        return;
    }
    total_ = static_cast<int>(std::min<std::size_t>(replay_->FrameCount(), 1u << 30));
    // The video's frame at each tick of --fps is the latest live frame at
    // or before it.
    videoCopies_.assign(replay_->FrameCount(), 0);
    std::size_t live = 0;
    for (std::uint64_t j = 1;; ++j) {
        const auto tick = static_cast<std::uint32_t>(j * 1000 / static_cast<std::uint64_t>(options.fps));
        if (replay_->FrameCount() == 0 || tick > replay_->Duration()) break;
        while (live + 1 < replay_->FrameCount() && replay_->FrameTime(live + 1) <= tick) ++live;
        if (InPart(tick)) ++videoCopies_[live];
    }
}

void FramePlan::Start() {
    if (replay_) replay_->Start(app_.params, app_.panelShown);
}

std::uint32_t FramePlan::ClockOf(int k) const {
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(k) * 1000u / static_cast<std::uint64_t>(options_.fps));
}

std::uint32_t FramePlan::TimeOf(int k) const {
    return replay_ && options_.exact ? replay_->FrameTime(static_cast<std::size_t>(k - 1)) : ClockOf(k);
}

bool FramePlan::InPart(std::uint32_t ms) const {
    return ms >= options_.from * 1000.0 && (options_.to < 0.0 || ms <= options_.to * 1000.0);
}

bool FramePlan::Png(int number) const { return !options_.outDir.empty() && number % options_.every == 0; }

PlannedFrame FramePlan::Prepare(int k) {
    PlannedFrame frame;
    frame.number = k;
    const std::uint32_t time = TimeOf(k);
    frame.beyondPart = options_.to >= 0.0 && time > options_.to * 1000.0;
    bool screenshot = false;
    if (!replay_) {
        // The presses for this frame, as the program takes them: a
        // key-down message, then a dispatch with nothing waiting. Each acts
        // on its own, in the order given.
        frame.now = ClockOf(k);
        const std::vector<ScriptedPress> &presses = options_.presses;
        for (; nextPress_ < presses.size() && presses[nextPress_].frame == k; ++nextPress_) {
            HandleWindowMessage(app_, {MessageKind::KeyDown, static_cast<std::uint32_t>(presses[nextPress_].keyCode)});
            ApplyPendingKey(app_);
        }
        return frame;
    }
    if (options_.exact) {
        const std::size_t live = static_cast<std::size_t>(k - 1);
        frame.now = replay_->BeginExactFrame(live, app_.params, app_.panelShown, app_.smoke);
        screenshot = replay_->ScreenshotIn(live);
        frame.videoCopies = videoCopies_[live];
        frame.drawn = InPart(time) && (Png(k) || frame.videoCopies > 0 || screenshot);
    } else {
        frame.now = ClockOf(k);
        // The last frame ends on the session's last values.
        screenshot = replay_->ApplyUpTo(k == total_ ? UINT32_MAX : frame.now, app_.params, app_.panelShown);
        frame.drawn = InPart(time);
    }
    if (frame.drawn && screenshot) app_.screenshotRequested = true;
    return frame;
}

std::vector<int> FramePlan::PngNumbers(int every) const {
    std::vector<int> numbers;
    if (options_.outDir.empty()) return numbers;
    for (int k = every; k <= total_; k += every) {
        const std::uint32_t time = TimeOf(k);
        if (InPart(time)) numbers.push_back(k);
    }
    return numbers;
}
