#include "app/recorder.h"

#include <ctime>
#include <cstring>
#include <cerrno>
#include <filesystem>

#include "app/key_actions.h"
#include "app/parameter_names.h"
#include "app/user_folders.h"
#include "app/user_message.h"
#include "image/replacement_file.h"
#include "sim/parameters.h"

namespace fs = std::filesystem;

namespace {

// The recorder's state: the session, what the last frame saw, and the
// size its text has reached.
struct Recorder {
    bool running = false;
    bool full = false;
    MillisecondClock clock = nullptr;
    Recording session;
    SimulationParameters seen;
    bool panelSeen = false;
    std::uint32_t previous = 0;
    std::size_t textBytes = 0;
} recorder;

void Stop(const char *why) {
    recorder.full = true;
    PrintDiagnostic(std::string("the session is recorded no further: ") + why + "; it runs on");
}

void Change(std::uint8_t what, double value) {
    recorder.session.changes.push_back(
        {static_cast<std::uint32_t>(recorder.session.FrameCount() - 1), what, value});
    recorder.textBytes += 24;  // " sprite_size=34.0", about
}

}  // namespace

void StartRecorder(const std::string &version, int width, int height, MillisecondClock clock) {
    recorder = Recorder{};
    recorder.running = true;
    recorder.clock = clock;
    recorder.session.writtenBy = version;
    recorder.session.width = width;
    recorder.session.height = height;
    recorder.session.start = recorder.seen = gParams;
    recorder.session.panelAtStart = recorder.panelSeen = gReadoutShown;
    recorder.textBytes = 1024;  // the header
}

bool RecorderRunning() { return recorder.running; }

void StopRecorder() { recorder = Recorder{}; }

std::uint32_t RecordingClock() {
    const std::uint32_t reading = recorder.clock ? recorder.clock() : 0;
    if (!recorder.running || recorder.full || recorder.session.FrameCount() == 0) return reading;
    Recording &session = recorder.session;
    if (session.readings.empty()) session.firstReading = recorder.previous = reading;
    std::uint8_t &count = session.readingsInFrame.back();
    if (count == 255) return reading;  // a frame never reads it so often
    ++count;
    session.readings.push_back(reading);
    recorder.textBytes += std::to_string(static_cast<std::uint32_t>(reading - recorder.previous)).size() + 1;
    recorder.previous = reading;
    return reading;
}

void RecorderFrameStarts() {
    if (!recorder.running || recorder.full) return;
    if (recorder.textBytes > kMaxRecordedBytes) return Stop("its text would pass the 32 MiB a recording may hold");
    Recording &session = recorder.session;
    session.readingsInFrame.push_back(0);
    const std::vector<NamedParameter> &names = NamedParameters();
    for (std::size_t i = 0; i < names.size(); ++i) {
        const NamedParameter &named = names[i];
        if (SameParameter(named, gParams, recorder.seen)) continue;
        Change(static_cast<std::uint8_t>(i), ParameterValue(named, gParams));
    }
    if (gReadoutShown != recorder.panelSeen) Change(RecordedChange::kPanel, gReadoutShown ? 1.0 : 0.0);
    recorder.seen = gParams;
    recorder.panelSeen = gReadoutShown;
}

void RecorderScreenshot() {
    if (recorder.running && !recorder.full && recorder.session.FrameCount() > 0)
        Change(RecordedChange::kScreenshot, 0.0);
}

const Recording &RecordedSession() { return recorder.session; }

std::string RecordingsFolder() { return UserFolder("XDG_DATA_HOME", ".local/share", "recordings"); }

std::string RecordingPath(const std::string &nameOrFile) {
    if (nameOrFile.find('/') != std::string::npos) return nameOrFile;
    const std::string folder = RecordingsFolder();
    return folder.empty() ? nameOrFile : folder + "/" + nameOrFile;
}

bool SaveRecording(const std::string &path, std::string &message) {
    const auto fail = [&](const std::string &why) {
        message = "cannot record the session as " + path + ": " + why;
        return false;
    };
    if (!recorder.running) return fail("nothing was recorded");
    ReplacementFile file;
    if (!file.Open(path)) return fail(std::strerror(errno));
    const std::string text = FormatRecording(recorder.session);
    std::fwrite(text.data(), 1, text.size(), file.Stream());
    if (!file.Commit()) return fail(std::strerror(errno));
    message = "recorded the session as " + path;
    return true;
}

namespace {

bool SaveInFolder(const std::string &name, std::string &message) {
    const std::string folder = RecordingsFolder();
    if (folder.empty()) {
        message = "cannot record the session: neither XDG_DATA_HOME nor HOME names a folder for it";
        return false;
    }
    std::error_code code;
    fs::create_directories(folder, code);
    if (code) {
        message = "cannot record the session: cannot make " + folder + ": " + code.message();
        return false;
    }
    return SaveRecording(folder + "/" + name, message);
}

}  // namespace

bool SaveRecordingNow(std::string &message) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H%M%S", &local);
    // Two in one second get a number after the second's name.
    std::string name = stamp;
    std::error_code code;
    for (int n = 2; fs::exists(fs::symlink_status(RecordingPath(name), code)) && n < 100; ++n)
        name = std::string(stamp) + "-" + std::to_string(n);
    return SaveInFolder(name, message);
}

bool KeepLastSession(std::string &message) { return SaveInFolder(kLastSession, message); }
