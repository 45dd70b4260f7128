// nimbrel-capture: renders the smoke at a fixed frame rate, exactly, to PNG
// files or a video. Set up as the program is (the 800 x 800 drawable,
// InitGraphics, InitScene, the same frame routine), but its clock is
// virtual and its key presses come from a script.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/key_actions.h"
#include "app/program_frame.h"
#include "app/readout.h"
#include "app/scene.h"
#include "app/user_message.h"
#include "app/window_handler.h"
#include "capture/frame_writer.h"
#include "capture/options.h"
#include "capture/progress.h"
#include "capture/video_pipe.h"
#include "platform/sdl_platform.h"
#include "render/graphics.h"
#include "render/read_back.h"
#include "sim/clock.h"

namespace {

constexpr int kSize = kDrawableSize;

volatile std::sig_atomic_t stopSignal = 0;
void OnStopSignal(int signal) { stopSignal = signal; }

// Before frame k the clock reads floor(k x 1000 / fps) ms after the start.
std::uint32_t virtualNow = 0;
std::uint32_t VirtualClock() { return virtualNow; }

int Fail(const std::string &message, int code) {
    PrintDiagnostic(message);
    return code;
}

// The folder for the PNG files, made when missing.
bool PrepareOutDir(const std::string &dir, std::string &error) {
    std::error_code code;
    if (std::filesystem::exists(dir, code) && !std::filesystem::is_directory(dir, code)) {
        error = "--out: " + dir + " is not a folder";
        return false;
    }
    std::filesystem::create_directories(dir, code);
    if (code || !std::filesystem::is_directory(dir)) {
        error = "--out: cannot make the folder " + dir + ": " + code.message();
        return false;
    }
    if (access(dir.c_str(), W_OK | X_OK) != 0) {
        error = "--out: cannot write into " + dir + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void HandleStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
    // Writes to a stopped ffmpeg or past a file size limit fail and are
    // reported, instead of ending the process.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

// The presses for this frame, as the program takes them: a key-down
// message, then a dispatch with nothing waiting. Each acts on its own, in
// the order given.
void PressKeys(const std::vector<ScriptedPress> &presses, std::size_t &next, int frame) {
    for (; next < presses.size() && presses[next].frame == frame; ++next) {
        HandleWindowMessage({MessageKind::KeyDown, static_cast<std::uint32_t>(presses[next].keyCode)});
        ApplyPendingKey();
    }
}

std::string WhatWasWritten(const CaptureOptions &options) {
    std::string what;
    if (!options.outDir.empty()) {
        const int first = options.every, last = options.frames / options.every * options.every;
        what = std::to_string(options.frames / options.every) + " PNG files " +
               FrameWriter::PngName(options.outDir, first) +
               (last != first ? " to " + FrameWriter::PngName(options.outDir, last) : "");
    }
    if (!options.videoPath.empty()) what += (what.empty() ? "" : " and ") + std::string("the video ") + options.videoPath;
    return what;
}

}  // namespace

int main(int argc, char **argv) {
    SetProgramName("nimbrel-capture");
    const ParseResult parsed = ParseCaptureOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (parsed.outcome == ParseOutcome::Help) {
        std::fputs(CaptureUsage(), stdout);
        return 0;
    }
    if (parsed.outcome == ParseOutcome::UsageError)
        return Fail(parsed.error + "\nTry 'nimbrel-capture --help' for more information.", 2);
    const CaptureOptions &options = parsed.options;

    std::string error;
    if (!options.outDir.empty() && !PrepareOutDir(options.outDir, error)) return Fail(error, 1);
    std::unique_ptr<VideoPipe> video;
    if (!options.videoPath.empty()) {
        video = std::make_unique<VideoPipe>();
        if (!video->Start(options.videoPath, kSize, kSize, options.fps, error)) return Fail(error, 1);
    }

    // Messages the program shows in boxes go to the standard error: a
    // capture never waits on a box.
    SetMessageSink(nullptr);
    SetMillisecondClock(VirtualClock);
    SetGraphicsPlatform(SdlGraphicsPlatform());
    if (!OpenMainWindow(WindowMode::OffScreen)) {
        PrintDiagnostic(PlatformError());
        return Fail("no window system to draw with", 1);
    }
    if (!InitGraphics(ShowGraphicsWarning)) {
        PrintDiagnostic(PlatformError());
        CloseMainWindow();
        return Fail("no GL context to draw with", 1);
    }
    HandleStopSignals();
    InitScene();

    int drawn = 0;
    bool written = true;
    {
        FrameWriter writer(options.outDir, video.get(), kSize, kSize);
        Progress progress(options.frames, stderr, isatty(STDERR_FILENO) != 0);
        std::size_t nextPress = 0;
        for (int k = 1; k <= options.frames && written && !stopSignal; ++k) {
            virtualNow = static_cast<std::uint32_t>(static_cast<std::uint64_t>(k) * 1000u /
                                                    static_cast<std::uint64_t>(options.fps));
            PressKeys(options.presses, nextPress, k);
            DrawProgramFrame();
            CapturedFrame frame = writer.NextFrame();
            frame.number = k;
            frame.png = !options.outDir.empty() && k % options.every == 0;
            if (frame.png || video) {
                if (!ReadBackRgb(kSize, kSize, frame.rgb.data())) {
                    error = "cannot read the frame back from the GL";
                    written = false;
                    break;
                }
                written = writer.Submit(std::move(frame));
            }
            CurrentGraphicsPlatform().swapBuffers();
            drawn = k;
            progress.Update(drawn);
        }
        written = writer.Drain() && written;
        progress.Finish();
        if (error.empty()) error = writer.Error();
    }
    ShutdownReadout();
    ShutdownGraphics();
    CloseMainWindow();

    if (stopSignal) {
        if (video) video->Abandon();
        Fail("stopped by signal " + std::to_string(stopSignal) + " after " + std::to_string(drawn) +
                 " frames" + (video ? "; no video written" : ""),
             1);
        return 128 + stopSignal;
    }
    if (!written) {
        if (video) video->Abandon();
        return Fail(error, 1);
    }
    if (video && !video->Finish(error)) return Fail(error, 1);
    PrintOutputLine("nimbrel-capture: " + std::to_string(options.frames) + " frames at " +
                    std::to_string(options.fps) + " fps (" + std::to_string(kSize) + " x " + std::to_string(kSize) +
                    "): wrote " + WhatWasWritten(options) + "\n");
    return 0;
}
