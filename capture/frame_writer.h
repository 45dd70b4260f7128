// Writes captured frames, as PNG files and to a video, on a thread of its
// own and in order, so that encoding one frame overlaps drawing the next.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class VideoPipe;

struct CapturedFrame {
    int number = 0;     // 1 for the first frame of the capture
    bool png = false;   // kept as a PNG file
    int videoCopies = 1;  // how many of the video's frames show it (0 or more)
    std::vector<unsigned char> rgb;  // width x height, rows top-down
};

class FrameWriter {
public:
    // PNG files go to `outDir` (none when empty), every frame to `video`
    // (none when null).
    FrameWriter(std::string outDir, VideoPipe *video, int width, int height);
    ~FrameWriter();  // waits for the frames already handed over
    FrameWriter(const FrameWriter &) = delete;
    FrameWriter &operator=(const FrameWriter &) = delete;

    // A frame whose buffer is ready to be filled, reused once written.
    CapturedFrame NextFrame();

    // Hands a filled frame over; waits while two are already queued behind
    // the one being written.
    // False once a write has failed: nothing more is written, and Error()
    // says why.
    bool Submit(CapturedFrame frame);

    // Waits until every frame handed over is written; false if one failed.
    bool Drain();

    std::string Error();

    // The name of frame `number`'s PNG file.
    static std::string PngName(const std::string &outDir, int number);

private:
    void Run();
    bool Write(const CapturedFrame &frame, std::string &error);

    const std::string outDir_;
    VideoPipe *const video_;
    const int width_, height_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<CapturedFrame> waiting_;
    std::vector<std::vector<unsigned char>> spare_;
    bool busy_ = false;
    bool stopping_ = false;
    std::string error_;
    std::thread thread_;
};
