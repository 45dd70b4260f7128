// The capture's plan: each frame's clock, values, presses and fate.
#include "capture/frame_plan.h"

#include <algorithm>
#include <cmath>

#include "app/key_actions.h"
#include "app/window_handler.h"
#include "capture/stop_signals.h"
#include "render/graphics.h"

FramePlan::FramePlan(const CaptureOptions &options, const Recording *recording, App &app)
    : options_(options), app_(app), view_(kStartupView) {
    total_ = options.frames;
    if (recording) replay_ = std::make_unique<Replay>(*recording);
    if (replay_ && !options.exact) {
        // As long as the session, within a frame.
        const unsigned __int128 frames = static_cast<unsigned __int128>(replay_->Duration()) *
                                         static_cast<std::uint64_t>(options.fps.num) /
                                         (1000u * static_cast<std::uint64_t>(options.fps.den));
        total_ = std::max(1, static_cast<int>(std::min<unsigned __int128>(frames, 1u << 30)));
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
    for (int k = 1; k <= total_; ++k) inPart_ += PartAgainst(k) == 0;
}

std::uint64_t FramePlan::TicksIn(std::uint64_t from, std::uint64_t to) const {
    using Wide = unsigned __int128;
    const Wide num = static_cast<Wide>(options_.fps.num), den = static_cast<Wide>(options_.fps.den);
    // ClockOf(j) >= t exactly when j >= t * num / (1000 * den), rounded up.
    const auto firstAtOrAfter = [&](std::uint64_t t) {
        return std::max<Wide>(1, (static_cast<Wide>(t) * num + 1000 * den - 1) / (1000 * den));
    };
    // The ticks whose time j * den / num lies in the part (from, to].
    Wide first = firstAtOrAfter(from), end = firstAtOrAfter(to);
    if (options_.fromUs >= 0)
        first = std::max(first, static_cast<Wide>(options_.fromUs) * num / (den * 1000000u) + 1);
    if (options_.toUs >= 0) end = std::min(end, static_cast<Wide>(options_.toUs) * num / (den * 1000000u) + 1);
    return first >= end ? 0 : static_cast<std::uint64_t>(end - first);
}

std::uint64_t FramePlan::SessionMs() const { return replay_ ? replay_->Duration() : 0; }

void FramePlan::Start() {
    if (replay_) replay_->Start(app_.params, app_.panelShown);
}

std::uint64_t FramePlan::ClockOf(std::uint64_t k) const {
    const unsigned __int128 scaled = static_cast<unsigned __int128>(k) * 1000u * static_cast<std::uint64_t>(options_.fps.den);
    return static_cast<std::uint64_t>(scaled / static_cast<std::uint64_t>(options_.fps.num));
}

int FramePlan::PartAgainst(int k) const {
    using Wide = __int128;
    // Frame k's time, and the part's ends, all in units of 1 / (num * 10^6)
    // seconds, so that parts meet without a gap or a frame twice.
    Wide time = 0, from = 0, to = 0;
    if (replay_ && options_.exact) {  // the live frame's time, in milliseconds
        time = static_cast<Wide>(replay_->FrameTime(static_cast<std::size_t>(k - 1))) * 1000;
        from = options_.fromUs;
        to = options_.toUs;
    } else {  // k / FPS seconds
        time = static_cast<Wide>(k) * options_.fps.den * 1000000;
        from = static_cast<Wide>(options_.fromUs) * options_.fps.num;
        to = static_cast<Wide>(options_.toUs) * options_.fps.num;
    }
    if (options_.fromUs >= 0 && time <= from) return -1;
    if (options_.toUs >= 0 && time > to) return 1;
    return 0;
}

bool FramePlan::Png(int number) const { return !options_.outDir.empty() && number % options_.every == 0; }

PlannedFrame FramePlan::Prepare(int k) {
    PlannedFrame frame;
    frame.number = k;
    const int part = PartAgainst(k);
    frame.beyondPart = part > 0;
    frame.inPart = part == 0;
    const bool video = !options_.videoPath.empty();
    bool screenshot = false;
    if (!replay_) {
        // The presses for this frame, as the program takes them: a
        // key-down message, then a dispatch with nothing waiting. Each acts
        // on its own, in the order given.
        frame.now = static_cast<std::uint32_t>(ClockOf(static_cast<std::uint64_t>(k)));
        frame.view = frame.shotView = kStartupView;
        const std::vector<ScriptedPress> &presses = options_.presses;
        for (; nextPress_ < presses.size() && presses[nextPress_].frame == k; ++nextPress_) {
            HandleWindowMessage(app_, {MessageKind::KeyDown, static_cast<std::uint32_t>(presses[nextPress_].keyCode)});
            ApplyPendingKey(app_);
        }
        // A frame nothing reads is not drawn: the smoke steps, unseen.
        frame.drawn = frame.inPart && (Png(k) || video || app_.screenshotRequested);
        if (!frame.drawn) app_.screenshotRequested = false;  // a Tab outside the part takes nothing
        return frame;
    }
    if (options_.exact) {
        const std::size_t live = static_cast<std::size_t>(k - 1);
        frame.now = replay_->BeginExactFrame(live, app_.params, app_.panelShown, app_.smoke);
        screenshot = replay_->ScreenshotIn(live);
        frame.videoCopies = videoCopies_[live];
        frame.drawn = frame.inPart && (Png(k) || (video && frame.videoCopies > 0) || screenshot);
    } else {
        frame.now = static_cast<std::uint32_t>(ClockOf(static_cast<std::uint64_t>(k)));
        // The last frame ends on the session's last values.
        screenshot = replay_->ApplyUpTo(k == total_ ? UINT64_MAX : ClockOf(static_cast<std::uint64_t>(k)), app_.params,
                                        app_.panelShown);
        frame.drawn = frame.inPart && (Png(k) || video || screenshot);
    }
    if (frame.drawn && screenshot) app_.screenshotRequested = true;
    // A recording from before resizes were kept is drawn as it always was.
    const LiveView live = replay_ && replay_->ResizesRecorded() ? replay_->View() : kStartupView;
    if (!live.Empty()) view_ = live;
    frame.view = view_;
    frame.shotView = live;
    return frame;
}

void FramePlan::SurfaceSize(int &width, int &height) const {
    int shotWidth = 0, shotHeight = 0;
    if (replay_ && options_.exact && replay_->ResizesRecorded())
        replay_->LargestShotView(shotWidth, shotHeight);
    width = std::max(options_.width, shotWidth);
    height = std::max(options_.height, shotHeight);
}

std::vector<int> FramePlan::PngNumbers(int every) const {
    std::vector<int> numbers;
    if (options_.outDir.empty()) return numbers;
    for (int k = every; k <= total_; k += every)
        if (PartAgainst(k) == 0) numbers.push_back(k);
    return numbers;
}
