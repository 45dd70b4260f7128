// The recorder, writing the session as it runs, and where recordings are kept.
#include "values/recorder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "io/replacement_file.h"
#include "io/user_folders.h"
#include "values/tuned_values.h"

namespace fs = std::filesystem;

namespace {

// Room kept below the limit: the longest a frame's text can be (255 clock
// readings and every value changed) and the closing line.
constexpr std::size_t kRoom = 8u << 10;
// A run's line is ended once it spans a second, so that the journal on
// disk is whole up to a second ago, however slow the frames.
constexpr std::uint64_t kRunLineMs = 1000;

}  // namespace

Recorder::Recorder() {
    buffer_.reserve(1 << 12);
    changes_.reserve(32);
}

bool Recorder::Start(const std::string &folder, const std::string &version, int width, int height,
                     const std::string &renderer, const SimulationParameters &params, bool panelShown,
                     std::string &message) {
    if (folder.empty()) {
        message = "the session is not recorded: neither XDG_DATA_HOME nor HOME names a folder for it";
        return false;
    }
    if (!journal_.Open(folder, message)) {
        message = "the session is not recorded: " + message;
        return false;
    }
    std::string why;
    if (!PointLastSession(journal_.Path(), why)) outcomes_.push_back(why);
    PruneJournals(folder, journal_.Path(), kKeptJournals, kKeptJournalBytes);
    running_ = true;
    full_ = inFrame_ = false;
    text_ = RecordingText{};
    readingCount_ = 0;
    changes_.clear();
    seen_ = params;
    panelSeen_ = panelShown;
    viewSeen_ = {width, height, false};
    buffer_ = RecordingText::Header(version, width, height, renderer, params, panelShown);
    bytes_ = buffer_.size();
    journal_.Append(buffer_);
    buffer_.clear();
    return true;
}

void Recorder::Change(std::uint8_t what, double value) {
    changes_.push_back({static_cast<std::uint32_t>(text_.Frames()), what, value});
}

void Recorder::EndFrame() {
    if (!inFrame_) return;
    inFrame_ = false;
    text_.Frame(buffer_, readings_, readingCount_, changes_.data(), changes_.size());
    if (text_.RunMs() >= kRunLineMs) text_.EndRun(buffer_);
    readingCount_ = 0;
    changes_.clear();
    bytes_ += buffer_.size();
    journal_.Append(buffer_);
    buffer_.clear();
}

void Recorder::FrameStarts(const SimulationParameters &params, bool panelShown, const LiveView &view) {
    if (!running_ || full_) return;
    EndFrame();
    if (bytes_ + kRoom > kMaxRecordingBytes) {
        full_ = true;
        text_.EndRun(buffer_);
        journal_.Append(buffer_);
        buffer_.clear();
        outcomes_.push_back("the session is recorded no further: its recording would pass the " +
                            std::to_string(kMaxRecordingBytes >> 20) + " MiB a recording may hold; it runs on");
        return;
    }
    inFrame_ = true;
    for (const TunedValue &row : kTunedValues)
        if (!SameValue(row, params, seen_)) Change(static_cast<std::uint8_t>(IndexOf(row)), ValueOf(row, params));
    if (panelShown != panelSeen_) Change(RecordedChange::kPanel, panelShown ? 1.0 : 0.0);
    if (view != viewSeen_)
        changes_.push_back(DrawableChange(static_cast<std::uint32_t>(text_.Frames()), view.width, view.height));
    seen_ = params;
    panelSeen_ = panelShown;
    viewSeen_ = view;
}

void Recorder::Reading(std::uint32_t reading) {
    if (inFrame_ && readingCount_ < 255) readings_[readingCount_++] = reading;  // a frame never reads it so often
}

void Recorder::Screenshot() {
    if (inFrame_) Change(RecordedChange::kScreenshot, 0.0);
}

void Recorder::Keep() {
    if (!running_) {
        outcomes_.push_back("cannot record the session: nothing was recorded");
        return;
    }
    // The frames ended so far, their last line whole.
    text_.EndRun(buffer_);
    journal_.Append(buffer_);
    bytes_ += buffer_.size();
    buffer_.clear();
    journal_.Keep(text_.Closing());
}

std::vector<std::string> Recorder::TakeOutcomes() {
    std::vector<std::string> taken;
    taken.swap(outcomes_);
    for (std::string &outcome : journal_.TakeOutcomes()) taken.push_back(std::move(outcome));
    return taken;
}

bool Recorder::Finish(std::string &message) {
    if (!running_) {
        message = "the session was not recorded";
        return false;
    }
    EndFrame();
    text_.EndRun(buffer_);
    journal_.Append(buffer_);
    buffer_.clear();
    running_ = false;
    if (!journal_.Close(text_.Closing(), message)) return false;
    message = "recorded the session as " + journal_.Path();
    return true;
}

std::string RecordingsFolder() { return UserFolder("XDG_DATA_HOME", ".local/share", "recordings").string(); }

std::string RecordingPath(const std::string &nameOrFile) {
    if (nameOrFile.find('/') != std::string::npos) return nameOrFile;
    const std::string folder = RecordingsFolder();
    return folder.empty() ? nameOrFile : (fs::path(folder) / nameOrFile).string();
}

bool CanWriteRecording(const std::string &path, std::string &message) {
    ReplacementFile file;
    if (file.Open(path)) return true;
    const int reason = errno;
    std::error_code code;
    const fs::file_status status = fs::status(path, code);
    const bool other = fs::exists(status) && !fs::is_regular_file(status);
    message = "cannot record the session as " + path + ": " + (other ? "it is not a regular file" : std::strerror(reason));
    return false;
}

bool CopyRecording(const std::string &from, const std::string &to, std::string &message) {
    const auto fail = [&](const std::string &why) {
        message = "cannot record the session as " + to + ": " + why;
        return false;
    };
    std::ifstream in(from, std::ios::binary);
    if (!in) return fail("cannot read " + from);
    ReplacementFile file;
    if (!file.Open(to)) return fail(std::strerror(errno));
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
        std::fwrite(buffer, 1, static_cast<std::size_t>(in.gcount()), file.Stream());
    if (!file.Commit()) return fail(std::strerror(errno));
    message = "recorded the session as " + to;
    return true;
}
