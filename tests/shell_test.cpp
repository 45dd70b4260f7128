// The window event handler and the frame loop, driven by scripted
// messages: no window system and no GL context.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "app/frame_loop.h"
#include "app/key_actions.h"
#include "values/tuned_values.h"
#include "app/window_handler.h"
#include "sim/particles.h"

namespace {

// What each rendered frame saw, so tests can tell which branch of the loop
// ran in that pass.
struct FrameRecord {
    bool keyPending;
    float yaw;
};
std::vector<FrameRecord> frames;

void RecordFrame(App &app, std::uint32_t) { frames.push_back({app.input.keyPending, app.params.yawAngle}); }
void NoEvents(MessageQueue &) {}
std::uint32_t NoTime() { return 0; }

int pumpCalls = 0;
void DestroyOnSixthPass(MessageQueue &queue) {
    if (++pumpCalls == 6) queue.Post({MessageKind::Destroy, 0});
}
void DestroyOnTenthPass(MessageQueue &queue) {
    if (++pumpCalls == 10) queue.Post({MessageKind::Destroy, 0});
}

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    void Reset() {
        app_.messages.Clear();
        app_.input = InputState{};
        app_.params = SimulationParameters{};
        frames.clear();
        pumpCalls = 0;
    }
    void Post(MessageKind kind, std::uint32_t param = 0) { ASSERT_TRUE(app_.messages.Post({kind, param})); }
    bool Handle(MessageKind kind, std::uint32_t param = 0) { return HandleWindowMessage(app_, {kind, param}); }
    int Run(EventPump pump = NoEvents, FrameRenderer frame = RecordFrame) {
        return RunFrameLoop(app_, pump, NoTime, frame);
    }
    SimulationParameters params_;
    App app_{params_, gParticles, gSmoke};
    const SimulationParameters &params = params_;
    InputState &input = app_.input;
};

// A close, a destroy or a quit ends the loop at the next pass, however
// many messages wait ahead of it; the pass still renders its frame.
TEST_F(ShellTest, AQuitGoesFirstWhateverWaits) {
    for (MessageKind ending : {MessageKind::Close, MessageKind::Destroy, MessageKind::Quit}) {
        Reset();
        for (int i = 0; i < 1000; ++i) Post(i % 2 ? MessageKind::KeyDown : MessageKind::MouseMove, 'Z');
        Post(ending, ending == MessageKind::Quit ? 3 : 0);
        EXPECT_EQ(Run(), ending == MessageKind::Quit ? 3 : 0);
        EXPECT_EQ(frames.size(), 1u);
        EXPECT_EQ(params.pointSize, SimulationParameters{}.pointSize);
    }
}

TEST_F(ShellTest, KeyIsActedOnOnlyInAPassWithoutWaitingMessages) {
    Post(MessageKind::KeyDown, 'Q');
    Post(MessageKind::MouseMove, PackLowHigh(5, 5));
    Post(MessageKind::MouseMove, PackLowHigh(6, 5));
    Post(MessageKind::Other);
    // The queue runs dry after these four: the fifth pass dispatches the
    // key, and the window is destroyed in the sixth.
    Run(DestroyOnSixthPass);
    ASSERT_GE(frames.size(), 6u);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(frames[i].keyPending) << i;
    EXPECT_FALSE(frames[4].keyPending);
    EXPECT_FALSE(input.keyDown['Q']);
    EXPECT_EQ(params.driftSpeed, -5.5f);
}

// Slow frames: a tap's key-down and key-up wait together, and the tap
// still acts, once; so does a second key's tap waiting behind it, at the
// next pass free of messages, and a second tap of the same key.
TEST_F(ShellTest, TapsQueuedTogetherEachActOnce) {
    Post(MessageKind::KeyDown, 'A');
    Post(MessageKind::KeyUp, 'A');
    Post(MessageKind::KeyDown, 'W');
    Post(MessageKind::KeyUp, 'W');
    Post(MessageKind::KeyDown, 'A');
    Post(MessageKind::KeyUp, 'A');
    Run(DestroyOnTenthPass);
    EXPECT_EQ(params.driftSpeed, -4.0f);
    EXPECT_EQ(params.spreadY, SimulationParameters{}.spreadY + 0.2f);
    EXPECT_FALSE(input.keyPending);
}

// A held key over slow frames: each frame the keyboard's auto-repeat
// delivers a score of repeats. They merge into the waiting press, the queue
// is empty at every frame, and the key acts once a frame, not once per
// repeat nor never.
int heldPumpCalls = 0;
void HoldZOverSlowFrames(MessageQueue &queue) {
    ++heldPumpCalls;
    if (heldPumpCalls == 1) queue.PostEvent({MessageKind::KeyDown, 'Z'});
    if (heldPumpCalls <= 10)
        for (int i = 0; i < 20; ++i) queue.PostEvent({MessageKind::KeyRepeat, 'Z'});
    if (heldPumpCalls == 11) queue.PostEvent({MessageKind::KeyUp, 'Z'});
    if (heldPumpCalls == 14) queue.PostEvent({MessageKind::Destroy, 0});
}

bool queueEmptyAtEveryFrame = true;
void RecordQueue(App &app, std::uint32_t now) {
    queueEmptyAtEveryFrame = queueEmptyAtEveryFrame && app.messages.Empty();
    RecordFrame(app, now);
}

TEST_F(ShellTest, HeldKeyActsOnceAFrameAndItsRepeatsNeverPileUp) {
    heldPumpCalls = 0;
    Run(HoldZOverSlowFrames, RecordQueue);
    EXPECT_TRUE(queueEmptyAtEveryFrame);
    // The key-down takes the first pass; passes 2 to 10 act once each.
    EXPECT_EQ(params.pointSize, SimulationParameters{}.pointSize + 9 * 4.0f);
    EXPECT_EQ(frames.size(), 14u);
}

// F3 and F11 switch once a press: their auto-repeats are ignored.
TEST_F(ShellTest, HeldToggleSwitchesOnce) {
    Handle(MessageKind::KeyDown, kKeyF3);
    ApplyPendingKey(app_);
    for (int i = 0; i < 30; ++i) {
        Handle(MessageKind::KeyRepeat, kKeyF3);
        Handle(MessageKind::KeyRepeat, kKeyF11);
        if (input.keyPending) ApplyPendingKey(app_);
    }
    EXPECT_TRUE(app_.panelShown);
}

TEST_F(ShellTest, KeyCodesOutsideTheTableAreIgnored) {
    Handle(MessageKind::KeyDown, 256);
    Handle(MessageKind::KeyDown, 0xFFFFFFFFu);
    EXPECT_FALSE(input.keyPending);
    Handle(MessageKind::KeyDown, 255);
    EXPECT_TRUE(input.keyDown[255]);
}

TEST_F(ShellTest, DragTurnsTheViewOneDegreePerPixel) {
    Handle(MessageKind::MouseMove, PackLowHigh(300, 300));
    EXPECT_EQ(params.yawAngle, 0.0f);  // moving without the button turns nothing
    Handle(MessageKind::LeftButtonDown, PackLowHigh(100, 100));
    Handle(MessageKind::MouseMove, PackLowHigh(104, 100));
    Handle(MessageKind::MouseMove, PackLowHigh(110, 110));
    EXPECT_EQ(params.yawAngle, -10.0f);    // 10 pixels right
    EXPECT_EQ(params.pitchAngle, -10.0f);  // 10 pixels down
    Handle(MessageKind::MouseMove, PackLowHigh(100, 100));
    EXPECT_EQ(params.yawAngle, 0.0f);
    Handle(MessageKind::LeftButtonUp, PackLowHigh(100, 100));
    Handle(MessageKind::MouseMove, PackLowHigh(150, 150));
    EXPECT_EQ(params.yawAngle, 0.0f);
    EXPECT_EQ(input.previousX, 150);
}

// A drag that leaves the window by its left or top edge turns the view by
// what the mouse moved, never by a wrapped 16-bit position.
TEST_F(ShellTest, PositionsAreSignedSixteenBitHalves) {
    Handle(MessageKind::LeftButtonDown, PackLowHigh(10, 10));
    Handle(MessageKind::MouseMove, PackLowHigh(-30, -5));
    EXPECT_EQ(input.mouseX, -30);
    EXPECT_EQ(params.yawAngle, 40.0f);
    EXPECT_EQ(params.pitchAngle, 15.0f);
}

TEST_F(ShellTest, DragFrameSeesTheNewAngle) {
    Post(MessageKind::LeftButtonDown, PackLowHigh(10, 10));
    Post(MessageKind::MouseMove, PackLowHigh(20, 10));
    Run(DestroyOnSixthPass);
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(frames[1].yaw, -10.0f);
}

// A fast drag: the window system delivers 600 motion events, with a key
// press in the middle, faster than frames are drawn. Waiting moves merge,
// so the loop catches up within a handful of frames, the key still acts,
// and the view turns by exactly the whole movement.
int dragPumpCalls = 0;
void FastDrag(MessageQueue &queue) {
    ++dragPumpCalls;
    if (dragPumpCalls == 1) {
        queue.PostEvent({MessageKind::LeftButtonDown, PackLowHigh(100, 400)});
        for (int step = 1; step <= 300; ++step)
            queue.PostEvent({MessageKind::MouseMove, PackLowHigh(100 + step, 400 - step % 7)});
        queue.PostEvent({MessageKind::KeyDown, 'Q'});
        queue.PostEvent({MessageKind::KeyUp, 'Q'});
        queue.PostEvent({MessageKind::KeyDown, 'Q'});
        for (int step = 1; step <= 300; ++step)
            queue.PostEvent({MessageKind::MouseMove, PackLowHigh(400 - step / 2, 393 + step)});
        queue.PostEvent({MessageKind::LeftButtonUp, PackLowHigh(250, 693)});
    } else if (dragPumpCalls == 2) {
        queue.PostEvent({MessageKind::Size, PackLowHigh(640, 480)});
        queue.PostEvent({MessageKind::Size, PackLowHigh(800, 800)});
    } else if (dragPumpCalls == 12) {
        queue.PostEvent({MessageKind::Destroy, 0});
    }
}

TEST_F(ShellTest, FastDragMergesWaitingMovesAndKeepsTheWholeTurn) {
    Run(FastDrag);
    EXPECT_EQ(params.yawAngle, -150.0f);    // from x 100 to 250
    EXPECT_EQ(params.pitchAngle, -293.0f);  // from y 400 to 693
    EXPECT_EQ(params.driftSpeed, -6.0f);    // each Q acted
    // Button, move, a key-down and its key-up: four passes, the first Q
    // acting in the fourth, before its second press is taken; that press,
    // move, button and one size change: four more, then one for the second
    // Q, the passes with nothing waiting, and the destroy, which ends the
    // loop.
    ASSERT_EQ(frames.size(), 12u);
    EXPECT_FALSE(frames[3].keyPending);
    EXPECT_TRUE(frames[7].keyPending);
    EXPECT_FALSE(frames[8].keyPending);
    EXPECT_EQ(frames[1].yaw, -300.0f);
    dragPumpCalls = 0;
}

TEST_F(ShellTest, QueueKeepsRoomForQuit) {
    int posted = 0;
    while (app_.messages.HasRoomForEvent()) {
        ASSERT_TRUE(app_.messages.Post({MessageKind::MouseMove, 0}));
        ++posted;
    }
    EXPECT_EQ(posted, static_cast<int>(MessageQueue::kCapacity - MessageQueue::kReserved));
    Handle(MessageKind::Close, 0);
    WindowMessage message;
    int quits = 0;
    while (app_.messages.Take(message)) quits += message.kind == MessageKind::Quit;
    EXPECT_EQ(quits, 2);
}

// A paced loop on a simulated clock that only the waits move: frames of 60
// a second come 16 or 17 ms apart, 60 in a second, at their due times
// whatever arrives between them; a key that comes during a wait is taken
// at once and acts in the next frame's pass; while nobody sees the window nothing is
// drawn and the loop only sleeps; the quit still draws its frame.
struct PacedRun {
    std::uint32_t clock = 0;
    std::vector<std::uint32_t> readings;  // of the frames drawn
    std::vector<std::uint32_t> waits;
    bool keyPressed = false;
    const SimulationParameters *params = nullptr;
    const InputState *input = nullptr;
    std::uint32_t keyActedAt = 0;
    bool pendingInItsWait = false;  // the key's press was taken in the pass its event woke
    float driftAtStart = 0.0f;
} paced;
std::uint32_t PacedClock() { return paced.clock; }
bool PacedSeen(std::uint32_t now) { return now < 400 || now >= 650; }
void PacedPump(MessageQueue &queue) {
    // A key pressed 5 ms into the wait before the frame due at 100 ms.
    if (paced.clock == 88 && !paced.keyPressed) paced.keyPressed = queue.Post({MessageKind::KeyDown, 'Q'});
    if (paced.clock >= 1000) queue.Post({MessageKind::Destroy, 0});
}
void PacedWait(std::uint32_t timeoutMs) {
    paced.waits.push_back(timeoutMs);
    if (paced.clock == 88)
        paced.pendingInItsWait = paced.input->keyPending && paced.params->driftSpeed == paced.driftAtStart;
    // The key's event cuts its wait short.
    paced.clock = paced.clock < 88 && paced.clock + timeoutMs > 88 ? 88 : paced.clock + timeoutMs;
}
void PacedFrame(App &app, std::uint32_t now) {
    paced.readings.push_back(now);
    if (paced.keyActedAt == 0 && app.params.driftSpeed != paced.driftAtStart) paced.keyActedAt = now;
}

TEST_F(ShellTest, PacedFramesComeAtTheirTimesAndNoneUnseen) {
    paced = PacedRun{};
    paced.driftAtStart = params.driftSpeed;
    paced.params = &params;
    paced.input = &input;
    const FramePacing pacing{1000.0 / 60.0, PacedWait, PacedSeen};
    EXPECT_EQ(RunFrameLoop(app_, PacedPump, PacedClock, PacedFrame, pacing), 0);
    const std::vector<std::uint32_t> &drawn = paced.readings;
    ASSERT_GE(drawn.size(), 2u);
    int inFirstSecond = 0;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        EXPECT_FALSE(drawn[i] >= 400 && drawn[i] < 650) << "a frame drawn unseen at " << drawn[i];
        inFirstSecond += drawn[i] < 1000;
        // Each frame at the first reading at or after k * 1000 / 60 ms.
        if (drawn[i] < 400) {
            EXPECT_EQ(drawn[i], static_cast<std::uint32_t>(std::ceil(i * 1000.0 / 60.0))) << i;
        }
        if (i > 0 && drawn[i - 1] < 400 && drawn[i] < 400) {
            EXPECT_GE(drawn[i] - drawn[i - 1], 16u);
            EXPECT_LE(drawn[i] - drawn[i - 1], 17u);
        }
    }
    // 24 frames before 400 ms, then a wait of kUnseenWaitMs, and 21 frames
    // from 650 ms on, counted from there.
    EXPECT_EQ(inFirstSecond, 24 + 21);
    EXPECT_TRUE(paced.pendingInItsWait);  // taken as it came, waiting for its frame
    EXPECT_EQ(paced.keyActedAt, 100u);    // which is the frame due next, showing it
    EXPECT_NE(params.driftSpeed, paced.driftAtStart);
    int unseenWaits = 0;
    for (std::uint32_t wait : paced.waits) unseenWaits += wait == kUnseenWaitMs;
    EXPECT_GE(unseenWaits, 1);
    EXPECT_EQ(drawn.back(), paced.clock);  // the quit's pass draws
}

// While the panel shows, it sees the mouse once a frame: a press and the
// moves after it each get a frame of their own at once, due or not.
std::uint32_t pressClock = 0;
std::vector<std::uint32_t> pressFrames;
std::uint32_t PressClock() { return pressClock; }
void PressPump(MessageQueue &queue) {
    if (pressClock == 5) {
        queue.Post({MessageKind::LeftButtonDown, PackLowHigh(400, 400)});
        queue.Post({MessageKind::MouseMove, PackLowHigh(410, 400)});
        queue.Post({MessageKind::LeftButtonUp, PackLowHigh(410, 400)});
        pressClock = 6;
    }
    if (pressClock >= 40) queue.Post({MessageKind::Destroy, 0});
}
void PressWait(std::uint32_t timeoutMs) { pressClock = pressClock < 5 && pressClock + timeoutMs > 5 ? 5 : pressClock + timeoutMs; }
void PressFrame(App &, std::uint32_t now) { pressFrames.push_back(now); }

TEST_F(ShellTest, WithThePanelShownEachMouseMessageHasItsFrame) {
    for (bool panel : {false, true}) {
        pressClock = 0;
        pressFrames.clear();
        app_.panelShown = panel;
        const FramePacing pacing{1000.0 / 60.0, PressWait, nullptr};
        RunFrameLoop(app_, PressPump, PressClock, PressFrame, pacing);
        const auto at6 = std::count(pressFrames.begin(), pressFrames.end(), 6u);
        EXPECT_EQ(at6, panel ? 3 : 0) << "panel shown: " << panel;
    }
    app_.panelShown = false;
}

}  // namespace
