// The capture's progress on the standard error.
#include "capture/progress.h"

#include <string>

namespace {

constexpr int kBarWidth = 30;
constexpr double kRedrawSeconds = 0.1;

std::string Clock(double seconds) {
    const long whole = seconds > 0.0 ? static_cast<long>(seconds + 0.5) : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

}  // namespace

Progress::Progress(int total, std::FILE *stream, bool terminal)
    : total_(total > 0 ? total : 1), stream_(stream), terminal_(terminal),
      start_(std::chrono::steady_clock::now()) {}

double Progress::Elapsed() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void Progress::Update(int done) {
    const double elapsed = Elapsed();
    const double fps = elapsed > 0.0 ? done / elapsed : 0.0;
    const double left = fps > 0.0 ? (total_ - done) / fps : 0.0;
    if (terminal_) {
        if (done < total_ && elapsed - lastDrawn_ < kRedrawSeconds) return;
        lastDrawn_ = elapsed;
        const int filled = static_cast<int>(static_cast<long long>(done) * kBarWidth / total_);
        const std::string bar = std::string(filled, '#') + std::string(kBarWidth - filled, '.');
        std::fprintf(stream_, "\r[%s] %d/%d frames  %.1f fps  %s left ", bar.c_str(), done, total_, fps,
                     Clock(left).c_str());
        drawn_ = true;
    } else {
        const int tenth = static_cast<int>(static_cast<long long>(done) * 10 / total_);
        if (tenth <= lastTenth_) return;
        lastTenth_ = tenth;
        std::fprintf(stream_, "nimbrel-capture: %d/%d frames (%d%%), %.1f fps, %s left\n", done, total_,
                     tenth * 10, fps, Clock(left).c_str());
    }
    std::fflush(stream_);
}

void Progress::Finish() {
    if (terminal_ && drawn_) std::fputc('\n', stream_);
    std::fflush(stream_);
}
