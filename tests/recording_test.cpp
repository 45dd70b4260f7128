// The recording's text format: what is written reads back the same, and
// every bad file gets one message naming its line, and nothing.
#include <gtest/gtest.h>

#include <string>

#include <cstring>
#include <filesystem>
#include <memory>

#include "tests/scratch_dir.h"
#include "values/recorder.h"
#include "values/recording.h"
#include "values/replay.h"
#include "values/tuned_values.h"

namespace {

Recording Sample() {
    Recording r;
    r.writtenBy = "1.0.0";
    r.width = 800;
    r.height = 640;
    r.start.pointSize = 42.0f;
    r.panelAtStart = true;
    r.firstReading = 4294967000u;  // the clock wraps during the session
    r.readings = {4294967000u, 4294967016u, 4294967290u, 10u, 27u, 44u};
    r.readingsInFrame = {2, 1, 0, 1, 1, 1};
    const auto index = [](const char *name) {
        return static_cast<std::uint8_t>(IndexOf(*FindValue(name)));
    };
    r.changes = {{1, index("sprite_size"), 46.0}, {1, RecordedChange::kPanel, 0.0},
                 {3, index("particles"), 6000.0}, {3, index("fade_in"), 1.0},
                 {3, RecordedChange::kScreenshot, 0.0}, {5, index("yaw"), -0.1f}};
    return r;
}

TEST(RecordingTest, TextReadsBackAsTheSameSession) {
    const Recording sample = Sample();
    const std::string text = FormatRecording(sample);
    const RecordingLoad load = ParseRecording(text, "s.rec");
    ASSERT_TRUE(load.ok) << load.error << "\n" << text;
    const Recording &r = load.recording;
    EXPECT_EQ(r.writtenBy, "1.0.0");
    EXPECT_EQ(r.width, 800);
    EXPECT_EQ(r.height, 640);
    EXPECT_TRUE(r.start == sample.start);
    EXPECT_TRUE(r.panelAtStart);
    EXPECT_EQ(r.readings, sample.readings);
    EXPECT_EQ(r.readingsInFrame, sample.readingsInFrame);
    ASSERT_EQ(r.changes.size(), sample.changes.size());
    for (std::size_t i = 0; i < r.changes.size(); ++i) {
        EXPECT_EQ(r.changes[i].frame, sample.changes[i].frame) << i;
        EXPECT_EQ(r.changes[i].what, sample.changes[i].what) << i;
        EXPECT_EQ(r.changes[i].value, sample.changes[i].value) << i;
    }
    EXPECT_EQ(FormatRecording(r), text);
    EXPECT_EQ(r.FrameTimes(), (std::vector<std::uint64_t>{16, 290, 290, 306, 323, 340}));
    bool panel = true;
    const SimulationParameters last = r.FinalValues(&panel);
    EXPECT_FALSE(panel);
    EXPECT_EQ(last.pointSize, 46.0f);
    EXPECT_EQ(last.particleCount, 6000);
    EXPECT_EQ(last.batchCount, 6);
    EXPECT_EQ(last.yawAngle, -0.1f);
}

TEST(RecordingTest, BadRecordingsGetOneMessageAndNothing) {
    const std::string head = "nimbrel-recording 1\nwritten-by 1.0.0\ndrawable 800x800\nstart panel=off\nclock 5\n";
    const struct {
        std::string text;
        const char *message;
    } table[] = {
        {"", "bad.rec: empty: not a Nimbrel recording"},
        {"# only a comment\n", "bad.rec: empty"},
        {"nimbrel = '1.0.0'\n", "bad.rec: line 1: not a Nimbrel recording"},
        {"nimbrel-recording 4\n", "bad.rec: line 1: a recording of format 4; this program reads formats 1 to 3"},
        {"nimbrel-recording 1\nrun: 16\n", "bad.rec: line 2: frames before the header"},
        {head + "run: 16 x\n", "bad.rec: line 6: \"x\": clock steps are whole milliseconds"},
        {head + "run: 16+\n", "bad.rec: line 6: \"16+\": clock steps"},
        {head + "run: 4294967296\n", "bad.rec: line 6: \"4294967296\": clock steps"},
        {head + "frame: 16 sprite_size=250.0\n", "bad.rec: line 6: sprite_size: must be a number from 0 to 204"},
        {head + "frame: 16 particles=5000\n", "bad.rec: line 6: particles: must be a whole multiple of 2000"},
        {head + "frame: 16 speed=3\n", "bad.rec: line 6: unknown name \"speed\""},
        {head + "frame: 16 fade_in=1\n", "bad.rec: line 6: fade_in: must be true or false"},
        {head + "frame: 16 panel=maybe\n", "bad.rec: line 6: panel: must be on or off"},
        {head + "frame: 16 lifetime=nan\n", "bad.rec: line 6: lifetime: must be a number"},
        {head + "frame: 16 zoom\n", "bad.rec: line 6: \"zoom\" is not NAME=VALUE"},
        {head + "run: 1\ndrawable 10x10\n", "bad.rec: line 7: \"drawable\" after the frames began"},
        {"nimbrel-recording 1\ndrawable 0x800\n", "bad.rec: line 2: drawable: must be WIDTHxHEIGHT"},
        {"nimbrel-recording 1\nstart yaw=1e39\n", "bad.rec: line 2: yaw: must be a number"},
        {"nimbrel-recording 1\nstart panel=off\nstart sprite_size=34.0\n", "bad.rec: line 3: a second \"start\" line"},
        {"nimbrel-recording 2" + head.substr(19) + "run: 16 16\nend 3\n", "bad.rec: line 7: end: must close"},
        {"nimbrel-recording 2" + head.substr(19) + "run: 16\nend 1\nrun: 16\n", "bad.rec: line 8: \"run:\" after"},
        {"nimbrel-recording 1\nwritten-by 1\n", "bad.rec: the header is incomplete"},
        {"nimbrel-recording 1\ndrawable 8x8\nstart\nclock 1\n", "bad.rec: the header is incomplete"},
        {head + "run: 1 # caf\xC3\xA9\n", "bad.rec: line 6: only printable ASCII text is allowed"},
        {std::string(kMaxRecordingBytes + 1, '#'), "bad.rec: larger than 32 MiB"},
    };
    for (const auto &row : table) {
        SCOPED_TRACE(row.text.substr(0, 200));
        const RecordingLoad load = ParseRecording(row.text, "bad.rec");
        EXPECT_FALSE(load.ok);
        EXPECT_EQ(load.error.rfind(row.message, 0), 0u) << load.error;
        EXPECT_EQ(load.error.find('\n'), std::string::npos) << "one line";
        EXPECT_EQ(load.recording.FrameCount(), 0u);
    }
    // A person's cut of a format 1 file: a header and a few frames, values
    // edited, is fine.
    const RecordingLoad cut = ParseRecording(head + "run: 0+16 17\r\nframe: 16 opacity=0.7 shot\n\n", "cut.rec");
    ASSERT_TRUE(cut.ok) << cut.error;
    EXPECT_EQ(cut.recording.FrameCount(), 3u);
    EXPECT_EQ(cut.recording.FinalValues().constantAlpha, 0.7f);
    EXPECT_FALSE(cut.recording.cut);
}

// A session cut short: whole without its closing line, or in the middle of
// a line, it loads its whole lines and says how much there is; a cut never
// changes a value; a cut in the header is refused.
TEST(RecordingTest, ACutRecordingLoadsItsWholeLinesAndSaysSo) {
    const std::string text = FormatRecording(Sample());
    const std::size_t end = text.rfind("end ");
    ASSERT_NE(end, std::string::npos);
    EXPECT_FALSE(ParseRecording(text, "s.rec").recording.cut);
    const std::size_t value = text.find("sprite_size=46.0");
    ASSERT_NE(value, std::string::npos);
    for (const std::size_t length : {end, value + std::strlen("sprite_size=4"), end - 1}) {
        const RecordingLoad load = ParseRecording(text.substr(0, length), "s.rec");
        ASSERT_TRUE(load.ok) << load.error;
        EXPECT_TRUE(load.recording.cut);
        EXPECT_EQ(load.notice.rfind("s.rec: a session cut short (no closing line): its ", 0), 0u) << load.notice;
        EXPECT_NE(load.recording.FinalValues().pointSize, 4.0f) << "the cut value was taken";
    }
    EXPECT_EQ(ParseRecording(text.substr(0, end), "s.rec").recording.FrameCount(), 6u);
    EXPECT_FALSE(ParseRecording(text.substr(0, text.find("clock") + 3), "s.rec").ok);
}

}  // namespace

namespace {

// A replay owns its clock: one made and dropped beside it leaves it alone.
// Its first frame starts the smoke's clock where the session's did, and
// every frame reads the session's own readings.
TEST(ReplayTest, ADroppedReplayLeavesAnothersClockAlone) {
    const Recording sample = Sample();
    Recording other = Sample();
    other.firstReading = 900;
    other.readings = {900, 901, 902, 903, 904, 905};
    const auto smoke = std::make_unique<SmokeState>();
    SimulationParameters params;
    bool panel = false;
    Replay replay(sample);
    replay.Start(params, panel);
    EXPECT_EQ(replay.BeginExactFrame(0, params, panel, *smoke), 4294967016u);
    EXPECT_EQ(smoke->lastReading, 4294967000u);  // started from the frame's first reading
    { Replay dropped(other); }
    EXPECT_EQ(replay.BeginExactFrame(1, params, panel, *smoke), 4294967290u);
    EXPECT_EQ(replay.BeginExactFrame(2, params, panel, *smoke), 4294967290u);  // a frame with no reading: the last
    EXPECT_EQ(replay.BeginExactFrame(3, params, panel, *smoke), 10u);
    EXPECT_EQ(params.pointSize, 46.0f);
    EXPECT_FALSE(panel);
}

}  // namespace

namespace {

// The recorder driven to its limit, a change every frame: it stops once,
// saying so, and the journal it wrote loads, whole, within the limit.
TEST(RecorderTest, DrivenToItsLimitItsJournalLoads) {
    ScratchDir folder;
    Recorder recorder;
    SimulationParameters params;
    std::string message;
    ASSERT_TRUE(recorder.Start(folder.Path(), "test", 800, 800, "cpu", params, false, message)) << message;
    std::vector<std::string> outcomes;
    std::uint32_t now = 0;
    const LiveView view{800, 800, false};
    for (int frame = 0; outcomes.empty() && frame < 5000000; ++frame) {
        params.pointSize = frame % 2 ? 34.0f : 38.0f;
        recorder.FrameStarts(params, false, view);
        recorder.Reading(now += 16);
        if (recorder.HasOutcomes()) outcomes = recorder.TakeOutcomes();
    }
    ASSERT_EQ(outcomes.size(), 1u);
    EXPECT_NE(outcomes[0].find("the session is recorded no further"), std::string::npos) << outcomes[0];
    ASSERT_TRUE(recorder.Finish(message)) << message;
    EXPECT_LE(std::filesystem::file_size(recorder.JournalPath()), kMaxRecordingBytes);
    const RecordingLoad load = ReadRecordingFile(recorder.JournalPath());
    ASSERT_TRUE(load.ok) << load.error;
    EXPECT_FALSE(load.recording.cut);
    EXPECT_GT(load.recording.FrameCount(), 1000000u);
}

// Every value, and the drawable, survive the trip through the journal: each
// row of the value table changed in a frame of its own, then two resizes
// (the second to a minimised window's zero height) and a frame more at
// that size, which changes nothing; the journal read back holds each
// change at its frame and ends on the same values, and a replay of it
// follows the live view.
TEST(RecorderTest, EveryValueAndEachResizeComeBackAtTheirFrames) {
    ScratchDir folder;
    Recorder recorder;
    SimulationParameters params;
    std::string message;
    ASSERT_TRUE(recorder.Start(folder.Path(), "test", 800, 800, "cpu", params, false, message)) << message;
    std::vector<double> values;
    std::uint32_t now = 0;
    LiveView view{800, 800, false};
    const auto frame = [&] {
        recorder.FrameStarts(params, false, view);
        recorder.Reading(now += 16);
    };
    for (const TunedValue &row : kTunedValues) {
        // A step by its key, the way that stays inside its limits.
        const bool up = !row.limited || ValueOf(row, params) < row.high;
        const double value = row.kind == ValueKind::Flag ? !ValueOf(row, params) : ValueOf(row, params) + KeyStep(row, up, ValueOf(row, params));
        ASSERT_TRUE(row.kind == ValueKind::Flag ? SetValue(row, value != 0.0, params, message)
                                                : SetValue(row, value, params, message))
            << row.name << ": " << message;
        values.push_back(ValueOf(row, params));
        frame();
    }
    view = {1024, 1024, true};
    frame();
    view = {640, 0, true};
    frame();
    frame();
    ASSERT_TRUE(recorder.Finish(message)) << message;

    const RecordingLoad load = ReadRecordingFile(recorder.JournalPath());
    ASSERT_TRUE(load.ok) << load.error;
    const Recording &r = load.recording;
    EXPECT_TRUE(r.FinalValues() == params);
    ASSERT_EQ(r.changes.size(), kTunedValues.size() + 2);
    for (std::size_t i = 0; i < kTunedValues.size(); ++i) {
        EXPECT_EQ(r.changes[i].frame, i) << kTunedValues[i].name;
        EXPECT_EQ(r.changes[i].what, i) << kTunedValues[i].name;
        EXPECT_EQ(r.changes[i].value, values[i]) << kTunedValues[i].name;
    }
    const std::size_t resized = kTunedValues.size();
    EXPECT_EQ(r.changes[resized].frame, resized);
    EXPECT_TRUE(ResizedView(r.changes[resized]) == (LiveView{1024, 1024, true}));
    EXPECT_EQ(r.changes[resized + 1].frame, resized + 1);
    EXPECT_TRUE(ResizedView(r.changes[resized + 1]) == (LiveView{640, 0, true}));

    Replay replay(r);
    SimulationParameters replayed;
    bool panel = false;
    replay.Start(replayed, panel);
    const auto smoke = std::make_unique<SmokeState>();
    for (std::size_t f = 0; f < r.FrameCount(); ++f) {
        replay.BeginExactFrame(f, replayed, panel, *smoke);
        const LiveView expected = f < resized ? LiveView{800, 800, false}
                                  : f == resized ? LiveView{1024, 1024, true}
                                                 : LiveView{640, 0, true};
        EXPECT_TRUE(replay.View() == expected) << "frame " << f;
    }
    EXPECT_TRUE(replayed == params);
}

// Two instances keeping their sessions in the same second keep two
// recordings, each whole; neither replaces the other.
TEST(RecorderTest, TwoSavesAtOnceKeepTwoFiles) {
    ScratchDir folder;
    Recorder a, b;
    SimulationParameters params;
    std::string message;
    ASSERT_TRUE(a.Start(folder.Path(), "test", 8, 8, "gl", params, false, message)) << message;
    ASSERT_TRUE(b.Start(folder.Path(), "test", 8, 8, "gl", params, false, message)) << message;
    for (Recorder *recorder : {&a, &b}) {
        recorder->FrameStarts(params, false, LiveView{8, 8, false});
        recorder->Reading(100);
        recorder->FrameStarts(params, false, LiveView{8, 8, false});
        recorder->Keep();
    }
    ASSERT_TRUE(a.Finish(message) && b.Finish(message)) << message;
    std::vector<std::string> told = a.TakeOutcomes(), more = b.TakeOutcomes();
    told.insert(told.end(), more.begin(), more.end());
    int kept = 0;
    for (const auto &entry : std::filesystem::directory_iterator(folder.Path())) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("session-", 0) == 0 || name == kLastSession) continue;
        ++kept;
        const RecordingLoad load = ReadRecordingFile(entry.path().string());
        EXPECT_TRUE(load.ok && !load.recording.cut) << name << ": " << load.error;
    }
    EXPECT_EQ(kept, 2);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_NE(told[0], told[1]);
}

}  // namespace
