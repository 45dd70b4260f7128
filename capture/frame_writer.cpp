// Captured frames written as PNG files and to the video, on a pool of threads.
#include "capture/frame_writer.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "capture/stop_signals.h"
#include "capture/video_pipe.h"
#include "image/png_writer.h"

namespace {

// zlib's fastest level: smoke on black still packs to about a tenth.
constexpr int kPngLevel = 1;
constexpr std::size_t kMaxWaiting = 2;

// Threads for the PNG files: the machine's cores, up to four, which at
// 4K keeps the encoding apace with the drawing without holding many 25 MB
// frames.
int WriterThreads() {
    const unsigned cores = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(cores, 1u, 4u));
}

}  // namespace

FrameWriter::FrameWriter(std::string outDir, VideoPipe *video, int width, int height, bool alpha)
    : outDir_(std::move(outDir)), video_(video), width_(width), height_(height), alpha_(alpha) {
    for (int i = 0; i < WriterThreads(); ++i) threads_.emplace_back(&FrameWriter::Run, this);
}

FrameWriter::~FrameWriter() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread &thread : threads_) thread.join();
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
    // Room for an alpha channel, added once the RGB frame is read back.
    frame.rgb.resize(std::size_t{alpha_ ? 4u : 3u} * static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
    return frame;
}

bool FrameWriter::Submit(CapturedFrame frame) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return waiting_.size() < kMaxWaiting || !error_.empty(); });
    if (!error_.empty()) return false;
    frame.order = submitted_++;
    waiting_.push_back(std::move(frame));
    changed_.notify_all();
    return true;
}

bool FrameWriter::Drain() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return (waiting_.empty() && busy_ == 0) || !error_.empty(); });
    return error_.empty();
}

std::string FrameWriter::Error() {
    std::lock_guard<std::mutex> lock(mutex_);
    return error_;
}

bool FrameWriter::WritePngFile(const CapturedFrame &frame, std::string &error) {
    // Frames are made again by running the capture again: not synced, which
    // costs the capture a disk flush a frame.
    if (!frame.png) return true;
    if (!WritePng(PngName(outDir_, frame.number), frame.rgb.data(), width_, height_, kPngLevel, error,
                  Durability::Unsynced, alpha_))
        return false;
    pngFiles_.fetch_add(1);
    return true;
}

bool FrameWriter::WriteVideo(const CapturedFrame &frame, std::string &error) {
    for (std::uint64_t copy = 0; video_ && copy < frame.videoCopies; ++copy) {
        // A live frame shown for hours of the video still stops at a signal.
        if (StopSignal()) {
            error = "stopped";
            return false;
        }
        if (!video_->WriteFrame(frame.rgb.data(), error)) return false;
        videoFrames_.fetch_add(1);
    }
    return true;
}

void FrameWriter::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return !waiting_.empty() || stopping_; });
        if (waiting_.empty()) return;  // stopping, with everything written
        CapturedFrame frame = std::move(waiting_.front());
        waiting_.pop_front();
        ++busy_;
        const bool failedBefore = !error_.empty();
        lock.unlock();

        std::string error;
        if (alpha_) AddAlphaFromBrightness(frame.rgb.data(), static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
        bool written = !failedBefore && WritePngFile(frame, error);

        // The video takes its frames in order: this one waits its turn.
        lock.lock();
        changed_.wait(lock, [this, &frame] { return videoTurn_ == frame.order; });
        if (written && error_.empty()) {
            lock.unlock();
            written = WriteVideo(frame, error);
            lock.lock();
        }
        ++videoTurn_;
        --busy_;
        if (!written && !failedBefore && error_.empty()) error_ = error.empty() ? "write failed" : error;
        spare_.push_back(std::move(frame.rgb));
        changed_.notify_all();
    }
}
