#include "capture/frame_writer.h"

#include <cstdio>
#include <utility>

#include "capture/video_pipe.h"
#include "image/png_writer.h"

namespace {

// zlib's fastest level: smoke on black still packs to about a tenth.
constexpr int kPngLevel = 1;
constexpr std::size_t kMaxWaiting = 2;

}  // namespace

FrameWriter::FrameWriter(std::string outDir, VideoPipe *video, int width, int height)
    : outDir_(std::move(outDir)), video_(video), width_(width), height_(height),
      thread_(&FrameWriter::Run, this) {}

FrameWriter::~FrameWriter() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

std::string FrameWriter::PngName(const std::string &outDir, int number) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame%06d.png", number);
    return outDir + name;
}

CapturedFrame FrameWriter::NextFrame() {
    CapturedFrame frame;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!spare_.empty()) {
            frame.rgb = std::move(spare_.back());
            spare_.pop_back();
        }
    }
    frame.rgb.resize(std::size_t{3} * static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
    return frame;
}

bool FrameWriter::Submit(CapturedFrame frame) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return waiting_.size() < kMaxWaiting || !error_.empty(); });
    if (!error_.empty()) return false;
    waiting_.push_back(std::move(frame));
    changed_.notify_all();
    return true;
}

bool FrameWriter::Drain() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return (waiting_.empty() && !busy_) || !error_.empty(); });
    return error_.empty();
}

std::string FrameWriter::Error() {
    std::lock_guard<std::mutex> lock(mutex_);
    return error_;
}

bool FrameWriter::Write(const CapturedFrame &frame, std::string &error) {
    // Frames are made again by running the capture again: not synced, which
    // costs the capture a disk flush a frame.
    if (frame.png && !WritePng(PngName(outDir_, frame.number), frame.rgb.data(), width_, height_,
                               kPngLevel, error, Durability::Unsynced))
        return false;
    for (int copy = 0; video_ && copy < frame.videoCopies; ++copy)
        if (!video_->WriteFrame(frame.rgb.data(), error)) return false;
    return true;
}

void FrameWriter::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return !waiting_.empty() || stopping_; });
        if (waiting_.empty()) return;  // stopping, with everything written
        CapturedFrame frame = std::move(waiting_.front());
        waiting_.pop_front();
        busy_ = true;
        lock.unlock();

        std::string error;
        const bool written = error_.empty() && Write(frame, error);

        lock.lock();
        busy_ = false;
        if (!written && error_.empty()) error_ = error.empty() ? "write failed" : error;
        spare_.push_back(std::move(frame.rgb));
        changed_.notify_all();
    }
}
