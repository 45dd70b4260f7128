// Writes captured frames, as PNG files and to a video, on a small pool of
// threads sized to the machine, so that encoding overlaps drawing and, at
// large sizes, PNG files are compressed side by side; the video still gets
// its frames in order. At most kMaxWaiting frames wait besides those being
// written, so memory stays bounded.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class VideoPipe;

struct CapturedFrame {
    int number = 0;     // 1 for the first frame of the capture
    bool png = false;   // kept as a PNG file
    std::uint64_t videoCopies = 1;  // how many of the video's frames show it (0 or more)
    std::uint64_t order = 0;  // set by Submit: its place in the video
    std::vector<unsigned char> rgb;  // width x height, rows top-down: RGB as read back, RGBA once written with alpha
};

class FrameWriter {
public:
    // PNG files go to `outDir` (none when empty), every frame to `video`
    // (none when null); with `alpha` each frame gets an alpha channel
    // (image/png_writer.h) before it is written.
    FrameWriter(std::string outDir, VideoPipe *video, int width, int height, bool alpha = false);
    ~FrameWriter();  // waits for the frames already handed over
    FrameWriter(const FrameWriter &) = delete;
    FrameWriter &operator=(const FrameWriter &) = delete;

    // A frame whose buffer is ready to be filled, reused once written.
    CapturedFrame NextFrame();

    // Hands a filled frame over; waits while two are already queued behind
    // those being written.
    // False once a write has failed: nothing more is written, and Error()
    // says why.
    bool Submit(CapturedFrame frame);

    // Waits until every frame handed over is written; false if one failed.
    bool Drain();

    std::string Error();

    // What was written so far: PNG files, and frames of the video.
    std::uint64_t PngFiles() const { return pngFiles_.load(); }
    std::uint64_t VideoFrames() const { return videoFrames_.load(); }

    // The name of frame `number`'s PNG file.
    static std::string PngName(const std::string &outDir, int number);

private:
    void Run();
    bool WritePngFile(const CapturedFrame &frame, std::string &error);
    bool WriteVideo(const CapturedFrame &frame, std::string &error);

    const std::string outDir_;
    VideoPipe *const video_;
    const int width_, height_;
    const bool alpha_;
    std::atomic<std::uint64_t> pngFiles_{0}, videoFrames_{0};

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<CapturedFrame> waiting_;
    std::vector<std::vector<unsigned char>> spare_;
    int busy_ = 0;                   // frames being written
    std::uint64_t submitted_ = 0;    // frames handed over
    std::uint64_t videoTurn_ = 0;    // the next frame the video takes
    bool stopping_ = false;
    std::string error_;
    std::vector<std::thread> threads_;
};
