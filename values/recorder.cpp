// The recorder, and where recordings are kept.
#include "values/recorder.h"

#include <ctime>
#include <cstring>
#include <cerrno>
#include <filesystem>

#include "values/tuned_values.h"
#include "io/user_folders.h"
#include "io/user_message.h"
#include "io/replacement_file.h"

namespace fs = std::filesystem;

namespace {

// Recording stops, and says so once.
void Stop(const char *why) {
    PrintDiagnostic(std::string("the session is recorded no further: ") + why + "; it runs on");
}

}  // namespace

void Recorder::Change(std::uint8_t what, double value) {
    session_.changes.push_back({static_cast<std::uint32_t>(session_.FrameCount() - 1), what, value});
    textBytes_ += 24;  // " sprite_size=34.0", about
}

void Recorder::Start(const std::string &version, int width, int height, const SimulationParameters &params,
                     bool panelShown) {
    *this = Recorder{};
    running_ = true;
    session_.writtenBy = version;
    session_.width = width;
    session_.height = height;
    session_.start = seen_ = params;
    session_.panelAtStart = panelSeen_ = panelShown;
    textBytes_ = 1024;  // the header
}

void Recorder::Reading(std::uint32_t reading) {
    if (!running_ || full_ || session_.FrameCount() == 0) return;
    if (session_.readings.empty()) session_.firstReading = previous_ = reading;
    std::uint8_t &count = session_.readingsInFrame.back();
    if (count == 255) return;  // a frame never reads it so often
    ++count;
    session_.readings.push_back(reading);
    textBytes_ += std::to_string(static_cast<std::uint32_t>(reading - previous_)).size() + 1;
    previous_ = reading;
}

void Recorder::FrameStarts(const SimulationParameters &params, bool panelShown) {
    if (!running_ || full_) return;
    if (textBytes_ > kMaxRecordedBytes) {
        full_ = true;
        return Stop("its text would pass the 32 MiB a recording may hold");
    }
    session_.readingsInFrame.push_back(0);
    for (const TunedValue &row : kTunedValues)
        if (!SameValue(row, params, seen_)) Change(static_cast<std::uint8_t>(IndexOf(row)), ValueOf(row, params));
    if (panelShown != panelSeen_) Change(RecordedChange::kPanel, panelShown ? 1.0 : 0.0);
    seen_ = params;
    panelSeen_ = panelShown;
}

void Recorder::Screenshot() {
    if (running_ && !full_ && session_.FrameCount() > 0) Change(RecordedChange::kScreenshot, 0.0);
}

std::string RecordingsFolder() { return UserFolder("XDG_DATA_HOME", ".local/share", "recordings").string(); }

std::string RecordingPath(const std::string &nameOrFile) {
    if (nameOrFile.find('/') != std::string::npos) return nameOrFile;
    const std::string folder = RecordingsFolder();
    return folder.empty() ? nameOrFile : (fs::path(folder) / nameOrFile).string();
}

bool SaveRecording(const Recording &session, const std::string &path, std::string &message) {
    const auto fail = [&](const std::string &why) {
        message = "cannot record the session as " + path + ": " + why;
        return false;
    };
    if (session.writtenBy.empty()) return fail("nothing was recorded");
    ReplacementFile file;
    if (!file.Open(path)) return fail(std::strerror(errno));
    const std::string text = FormatRecording(session);
    std::fwrite(text.data(), 1, text.size(), file.Stream());
    if (!file.Commit()) return fail(std::strerror(errno));
    message = "recorded the session as " + path;
    return true;
}

namespace {

bool SaveInFolder(const Recording &session, const std::string &name, std::string &message) {
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
    return SaveRecording(session, (fs::path(folder) / name).string(), message);
}

}  // namespace

bool SaveRecordingNow(const Recording &session, std::string &message) {
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
    return SaveInFolder(session, name, message);
}

bool KeepLastSession(const Recording &session, std::string &message) {
    return SaveInFolder(session, kLastSession, message);
}
