// Replaying a recording (values/recording.h) into the state it is handed, for
// the capture and for tests: the start values and panel, then before each
// frame its changes, and for an exact replay the clock readings it took;
// the live view (the drawable and its projection) follows the resizes.
// A replay owns its clock: two replays never share one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "values/recording.h"
#include "sim/particles.h"

class Replay {
public:
    // Keeps a reference: the recording outlives the replay.
    explicit Replay(const Recording &recording);

    // The values and the panel as the session began; the pool is then
    // filled by the caller, as at start-up.
    void Start(SimulationParameters &params, bool &panelShown) const;

    // Exact: before live frame `frame` (from 0), its changes are applied;
    // returns the clock reading its update took, having started the
    // smoke's clock where the session's first update started it.
    std::uint32_t BeginExactFrame(std::size_t frame, SimulationParameters &params, bool &panelShown,
                                  SmokeState &smoke);
    // Whether a screenshot was taken of that frame.
    bool ScreenshotIn(std::size_t frame) const;
    // The live view of the frame last begun or reached: the session's
    // first until a resize.
    const LiveView &View() const { return view_; }
    // The largest drawable a screenshot was taken of.
    void LargestShotView(int &width, int &height) const;

    // Smooth: applies, in order, the changes of every frame whose time in
    // the session has reached `sessionMs`. True when a screenshot was
    // among them.
    bool ApplyUpTo(std::uint64_t sessionMs, SimulationParameters &params, bool &panelShown);

    std::size_t FrameCount() const { return recording_.FrameCount(); }
    // Whether the recording kept its resizes: older formats did not.
    bool ResizesRecorded() const { return recording_.resizesRecorded; }
    // Milliseconds from the first reading to the frame's last one.
    std::uint64_t FrameTime(std::size_t frame) const { return times_[frame]; }
    std::uint64_t Duration() const { return times_.empty() ? 0 : times_.back(); }

private:
    // Applies the changes of frames before `frame`; true when one was a
    // screenshot.
    bool ApplyBefore(std::size_t frame, SimulationParameters &params, bool &panelShown);

    const Recording &recording_;
    std::vector<std::uint64_t> times_;
    std::vector<bool> shots_;                // a screenshot of each frame
    std::vector<std::size_t> firstReading_;  // each frame's first reading's index
    std::size_t nextChange_ = 0, nextFrame_ = 0;
    std::uint32_t lastReading_;  // the clock's last reading, as the session's update saw it
    LiveView view_;
};
