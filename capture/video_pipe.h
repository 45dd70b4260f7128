// A video made by the ffmpeg program from raw frames piped to it.
#pragma once

#include <sys/types.h>

#include <string>

#include "io/replacement_file.h"

class VideoPipe {
public:
    VideoPipe() = default;
    ~VideoPipe();  // abandons a video not yet finished
    VideoPipe(const VideoPipe &) = delete;
    VideoPipe &operator=(const VideoPipe &) = delete;

    // How the video is made: its rate, "60" or "30000/1001"; frames with
    // alpha (RGBA) or not (RGB); the encoder's constant quality, -1 for
    // the default.
    struct Format {
        std::string fps = "60";
        bool alpha = false;
        int crf = -1;
        std::string codec;  // "h264", "h265", "vp9", or "" for the name's own
    };

    // Starts ffmpeg on a temporary file beside `path`, taking frames of
    // width x height pixels, in the codec asked for (the options give
    // H.264 for a .mp4 name, VP9 for .webm), ProRes 4444 for .mov with
    // alpha, or else the format the name implies. A one-frame dry run first checks that ffmpeg can make a
    // video of that name. False, with `error` naming the problem, when
    // ffmpeg is not installed, has no format for the name or the file
    // cannot be made.
    bool Start(const std::string &path, int width, int height, const Format &format, std::string &error);

    // One frame, rows from the top of the picture down. False when ffmpeg
    // has stopped taking frames.
    bool WriteFrame(const unsigned char *rgb, std::string &error);

    // Ends the input, waits for ffmpeg and moves the video into place. When
    // `stopped` says so meanwhile, ffmpeg is stopped and nothing is left.
    bool Finish(std::string &error, bool (*stopped)() = nullptr);

    // Stops ffmpeg and removes its file: nothing is left under the name.
    void Abandon();

private:
    std::string StoppedEarly();

    ReplacementFile file_;
    pid_t ffmpeg_ = -1;
    int input_ = -1;
    std::size_t frameBytes_ = 0;
};
