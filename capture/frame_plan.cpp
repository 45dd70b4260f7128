// The capture's plan: each frame's clock, values, presses and fate.
#include "capture/frame_plan.h"

#include <algorithm>
#include <cmath>

#include "app/key_actions.h"
#include "app/window_handler.h"
#include "capture/stop_signals.h"

FramePlan::FramePlan(const CaptureOptions &options, const Recording *recording, App &app)
    : options_(options), app_(app) {
    total_ = options.frames;
    if (recording) replay_ = std::make_unique<Replay>(*recording);
    if (replay_ && !options.exact) {
        // As long as the session, within a frame.
        total_ = std::max(1, static_cast<int>(std::min<std::uint64_t>(
                                 replay_->Duration() * static_cast<std::uint64_t>(options.fps) / 1000, 1u << 30)));
    } else if (replay_) {
        total_ = static_cast<int>(std::min<std::size_t>(replay_->FrameCount(), 1u << 30));
        // The video's frame at each tick of --fps is the latest live frame
        // at or before it: each live frame shows for the ticks from its own
        // time to the next one's, the last up to the session's end.
        videoCopies_.assign(static_cast<std::size_t>(total_), 0);
        for (std::size_t live = 0; live < videoCopies_.size() && !StopSignal(); ++live) {
            const std::uint64_t from = live == 0 ? 0 : replay_->FrameTime(live);
            const std::uint64_t to = live + 1 < videoCopies_.size() ? replay_->FrameTime(live + 1) : replay_->Duration() + 1;
            videoCopies_[live] = TicksIn(from, to);
        }
    }
    for (int k = 1; k <= total_; ++k) inPart_ += InPart(TimeOf(k));
}

std::uint64_t FramePlan::TicksIn(std::uint64_t from, std::uint64_t to) const {
    // ClockOf(j) >= t exactly when j >= t * fps / 1000, rounded up.
    const auto firstAtOrAfter = [this](std::uint64_t t) {
        const unsigned __int128 scaled = static_cast<unsigned __int128>(t) * static_cast<unsigned>(options_.fps);
        return std::max<std::uint64_t>(1, static_cast<std::uint64_t>((scaled + 999) / 1000));
    };
    from = std::max<std::uint64_t>(from, static_cast<std::uint64_t>(std::ceil(options_.from * 1000.0)));
    if (options_.to >= 0.0) to = std::min<std::uint64_t>(to, static_cast<std::uint64_t>(std::floor(options_.to * 1000.0)) + 1);
    if (from >= to) return 0;
    return firstAtOrAfter(to) - firstAtOrAfter(from);
}

std::uint64_t FramePlan::SessionMs() const { return replay_ ? replay_->Duration() : 0; }

void FramePlan::Start() {
    if (replay_) replay_->Start(app_.params, app_.panelShown);
}

std::uint64_t FramePlan::ClockOf(std::uint64_t k) const { return k * 1000u / static_cast<std::uint64_t>(options_.fps); }

std::uint64_t FramePlan::TimeOf(int k) const {
    return replay_ && options_.exact ? replay_->FrameTime(static_cast<std::size_t>(k - 1)) : ClockOf(k);
}

bool FramePlan::InPart(std::uint64_t ms) const {
    const double at = static_cast<double>(ms);
    return at >= options_.from * 1000.0 && (options_.to < 0.0 || at <= options_.to * 1000.0);
}

bool FramePlan::Png(int number) const { return !options_.outDir.empty() && number % options_.every == 0; }

PlannedFrame FramePlan::Prepare(int k) {
    PlannedFrame frame;
    frame.number = k;
    const std::uint64_t time = TimeOf(k);
    frame.beyondPart = options_.to >= 0.0 && static_cast<double>(time) > options_.to * 1000.0;
    frame.inPart = InPart(time);
    bool screenshot = false;
    if (!replay_) {
        // The presses for this frame, as the program takes them: a
        // key-down message, then a dispatch with nothing waiting. Each acts
        // on its own, in the order given.
        frame.now = static_cast<std::uint32_t>(ClockOf(static_cast<std::uint64_t>(k)));
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
        const bool video = !options_.videoPath.empty() && frame.videoCopies > 0;
        frame.drawn = InPart(time) && (Png(k) || video || screenshot);
    } else {
        frame.now = static_cast<std::uint32_t>(ClockOf(static_cast<std::uint64_t>(k)));
        // The last frame ends on the session's last values.
        screenshot = replay_->ApplyUpTo(k == total_ ? UINT64_MAX : ClockOf(static_cast<std::uint64_t>(k)), app_.params,
                                        app_.panelShown);
        frame.drawn = InPart(time);
    }
    if (frame.drawn && screenshot) app_.screenshotRequested = true;
    return frame;
}

std::vector<int> FramePlan::PngNumbers(int every) const {
    std::vector<int> numbers;
    if (options_.outDir.empty()) return numbers;
    for (int k = every; k <= total_; k += every) {
        const std::uint64_t time = TimeOf(k);
        if (InPart(time)) numbers.push_back(k);
    }
    return numbers;
}
