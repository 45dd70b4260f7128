// The window event handler and the frame loop, driven by scripted
// messages: no window system and no GL context.
#include <gtest/gtest.h>

#include <vector>

#include "app/frame_loop.h"
#include "app/key_actions.h"
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

void RecordFrame() { frames.push_back({gInput.keyPending, gParams.yawAngle}); }
void NoEvents(MessageQueue &) {}

int pumpCalls = 0;
void DestroyOnSixthPass(MessageQueue &queue) {
    if (++pumpCalls == 6) queue.Post({MessageKind::Destroy, 0});
}

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        gMessages.Clear();
        gInput = InputState{};
        gParams = SimulationParameters{};
        frames.clear();
        pumpCalls = 0;
    }
    static void Post(MessageKind kind, std::uint32_t param = 0) {
        ASSERT_TRUE(gMessages.Post({kind, param}));
    }
    static int Run() { return RunFrameLoop(NoEvents, RecordFrame); }
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
        EXPECT_EQ(gParams.pointSize, SimulationParameters{}.pointSize);
    }
}

TEST_F(ShellTest, KeyIsActedOnOnlyInAPassWithoutWaitingMessages) {
    Post(MessageKind::KeyDown, 'Q');
    Post(MessageKind::MouseMove, PackLowHigh(5, 5));
    Post(MessageKind::MouseMove, PackLowHigh(6, 5));
    Post(MessageKind::Other);
    // The queue runs dry after these four: the fifth pass dispatches the
    // key, and the window is destroyed in the sixth.
    RunFrameLoop(DestroyOnSixthPass, RecordFrame);
    ASSERT_GE(frames.size(), 6u);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(frames[i].keyPending) << i;
    EXPECT_FALSE(frames[4].keyPending);
    EXPECT_FALSE(gInput.keyDown['Q']);
    EXPECT_EQ(gParams.driftSpeed, -5.5f);
}

// Slow frames: a tap's key-down and key-up wait together, and the tap
// still acts, once; so does a second key's tap waiting behind it, at the
// next pass free of messages.
TEST_F(ShellTest, TapsQueuedTogetherEachActOnce) {
    Post(MessageKind::KeyDown, 'A');
    Post(MessageKind::KeyUp, 'A');
    Post(MessageKind::KeyDown, 'W');
    Post(MessageKind::KeyUp, 'W');
    RunFrameLoop(DestroyOnSixthPass, RecordFrame);
    EXPECT_EQ(gParams.driftSpeed, -4.5f);
    EXPECT_EQ(gParams.spreadY, SimulationParameters{}.spreadY + 0.2f);
    EXPECT_FALSE(gInput.keyPending);
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
void RecordQueue() {
    queueEmptyAtEveryFrame = queueEmptyAtEveryFrame && gMessages.Empty();
    RecordFrame();
}

TEST_F(ShellTest, HeldKeyActsOnceAFrameAndItsRepeatsNeverPileUp) {
    heldPumpCalls = 0;
    RunFrameLoop(HoldZOverSlowFrames, RecordQueue);
    EXPECT_TRUE(queueEmptyAtEveryFrame);
    // The key-down takes the first pass; passes 2 to 10 act once each.
    EXPECT_EQ(gParams.pointSize, SimulationParameters{}.pointSize + 9 * 4.0f);
    EXPECT_EQ(frames.size(), 14u);
}

// F3 and F11 switch once a press: their auto-repeats are ignored.
TEST_F(ShellTest, HeldToggleSwitchesOnce) {
    gReadoutShown = false;
    HandleWindowMessage({MessageKind::KeyDown, kReadoutKey});
    ApplyPendingKey();
    for (int i = 0; i < 30; ++i) {
        HandleWindowMessage({MessageKind::KeyRepeat, kReadoutKey});
        HandleWindowMessage({MessageKind::KeyRepeat, kFullscreenKey});
        if (gInput.keyPending) ApplyPendingKey();
    }
    EXPECT_TRUE(gReadoutShown);
    gReadoutShown = false;
}

TEST_F(ShellTest, KeyCodesOutsideTheTableAreIgnored) {
    HandleWindowMessage({MessageKind::KeyDown, 256});
    HandleWindowMessage({MessageKind::KeyDown, 0xFFFFFFFFu});
    EXPECT_FALSE(gInput.keyPending);
    HandleWindowMessage({MessageKind::KeyDown, 255});
    EXPECT_TRUE(gInput.keyDown[255]);
}

TEST_F(ShellTest, DragTurnsTheViewOneDegreePerPixel) {
    HandleWindowMessage({MessageKind::MouseMove, PackLowHigh(300, 300)});
    EXPECT_EQ(gParams.yawAngle, 0.0f);  // moving without the button turns nothing
    HandleWindowMessage({MessageKind::LeftButtonDown, PackLowHigh(100, 100)});
    HandleWindowMessage({MessageKind::MouseMove, PackLowHigh(104, 100)});
    HandleWindowMessage({MessageKind::MouseMove, PackLowHigh(110, 110)});
    EXPECT_EQ(gParams.yawAngle, -10.0f);    // 10 pixels right
    EXPECT_EQ(gParams.pitchAngle, -10.0f);  // 10 pixels down
    HandleWindowMessage({MessageKind::MouseMove, PackLowHigh(100, 100)});
    EXPECT_EQ(gParams.yawAngle, 0.0f);
    HandleWindowMessage({MessageKind::LeftButtonUp, PackLowHigh(100, 100)});
    HandleWindowMessage({MessageKind::MouseMove, PackLowHigh(150, 150)});
    EXPECT_EQ(gParams.yawAngle, 0.0f);
    EXPECT_EQ(gInput.previousX, 150);
}

TEST_F(ShellTest, PositionsAreUnsignedSixteenBitHalves) {
    HandleWindowMessage({MessageKind::LeftButtonDown, PackLowHigh(0, 0)});
    // A position left of the window arrives as 65535, not -1.
    HandleWindowMessage({MessageKind::MouseMove, PackLowHigh(-1, 0)});
    EXPECT_EQ(gInput.mouseX, 65535);
    EXPECT_EQ(gParams.yawAngle, -65535.0f);
}

TEST_F(ShellTest, DragFrameSeesTheNewAngle) {
    Post(MessageKind::LeftButtonDown, PackLowHigh(10, 10));
    Post(MessageKind::MouseMove, PackLowHigh(20, 10));
    RunFrameLoop(DestroyOnSixthPass, RecordFrame);
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
    RunFrameLoop(FastDrag, RecordFrame);
    EXPECT_EQ(gParams.yawAngle, -150.0f);    // from x 100 to 250
    EXPECT_EQ(gParams.pitchAngle, -293.0f);  // from y 400 to 693
    EXPECT_EQ(gParams.driftSpeed, -5.5f);    // the second Q acted once
    // Button, move, a key-down, the key-up with the second key-down, move,
    // button and one size change: seven passes, then one for the key, the
    // passes with nothing waiting, and the destroy, which ends the loop.
    ASSERT_EQ(frames.size(), 12u);
    EXPECT_TRUE(frames[6].keyPending);
    EXPECT_FALSE(frames[7].keyPending);
    EXPECT_EQ(frames[1].yaw, -300.0f);
    dragPumpCalls = 0;
}

TEST_F(ShellTest, QueueKeepsRoomForQuit) {
    int posted = 0;
    while (gMessages.HasRoomForEvent()) {
        ASSERT_TRUE(gMessages.Post({MessageKind::MouseMove, 0}));
        ++posted;
    }
    EXPECT_EQ(posted, static_cast<int>(MessageQueue::kCapacity - MessageQueue::kReserved));
    HandleWindowMessage({MessageKind::Close, 0});
    WindowMessage message;
    int quits = 0;
    while (gMessages.Take(message)) quits += message.kind == MessageKind::Quit;
    EXPECT_EQ(quits, 2);
}

}  // namespace
