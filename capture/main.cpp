// nimbrel-capture: renders the smoke at a fixed frame rate, exactly, to PNG
// files or a video. Set up as the program is (the 800 x 800 drawable,
// InitGraphics, InitScene, the same frame routine), but its clock is
// virtual and its key presses come from a script.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/app.h"
#include "values/preset_file.h"
#include "values/presets.h"
#include "app/program_frame.h"
#include "values/recorder.h"
#include "values/recording.h"
#include "app/scene.h"
#include "io/user_message.h"
#include "capture/frame_plan.h"
#include "capture/frame_writer.h"
#include "capture/options.h"
#include "capture/progress.h"
#include "capture/stop_signals.h"
#include "capture/video_pipe.h"
#include "platform/sdl_platform.h"
#include "render/frame.h"
#include "render/gl.h"
#include "render/graphics.h"
#include "render/read_back.h"
#include "sim/particles.h"

namespace {

// Seconds as a person writes them: "2.5", "12".
std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", seconds);
    return text;
}

int Fail(const std::string &message, int code) {
    PrintDiagnostic(message);
    return code;
}

// The folder for the PNG files, made when missing; `made` says whether it
// was.
bool PrepareOutDir(const std::string &dir, bool &made, std::string &error) {
    std::error_code code;
    if (std::filesystem::exists(dir, code) && !std::filesystem::is_directory(dir, code)) {
        error = "--out: " + dir + " is not a folder";
        return false;
    }
    made = std::filesystem::create_directories(dir, code);
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

std::string WhatWasWritten(const CaptureOptions &options, const FramePlan &plan) {
    std::string what;
    if (!options.outDir.empty()) {
        const std::vector<int> numbers = plan.PngNumbers(options.every);
        what = std::to_string(numbers.size()) + (numbers.size() == 1 ? " PNG file" : " PNG files");
        if (!numbers.empty())
            what += " " + FrameWriter::PngName(options.outDir, numbers.front()) +
                    (numbers.size() > 1 ? " to " + FrameWriter::PngName(options.outDir, numbers.back()) : "");
    }
    if (!options.videoPath.empty()) what += (what.empty() ? "" : " and ") + std::string("the video ") + options.videoPath;
    return what;
}

bool Stopped() { return StopSignal() != 0; }

void TearDownDrawing(App &app);

// The GL set up as the program has it, drawing into a surface of the
// capture's own, of the size asked for, or larger where a screenshot
// taken live needs it; `code` is the exit code for a failure: 2 for a size
// the GL cannot draw.
bool SetUpDrawing(const CaptureOptions &options, const Recording *recording, const FramePlan &plan, App &app,
                  std::string &error, int &code) {
    code = 1;
    // Messages the program shows in boxes go to the standard error: a
    // capture never waits on a box.
    SetMessageSink(nullptr);
    SetGraphicsPlatform(SdlGraphicsPlatform());
    int surfaceWidth = 0, surfaceHeight = 0;
    plan.SurfaceSize(surfaceWidth, surfaceHeight);
    if (!OpenMainWindow(WindowMode::OffScreen, false, surfaceWidth, surfaceHeight)) {
        PrintDiagnostic(PlatformError());
        error = "no window system to draw with";
        return false;
    }
    if (InHiddenWindow())
        PrintDiagnostic("no off-screen GL context through EGL: drawing into a hidden window on the display");
    if (!InitGraphics(ShowGraphicsWarning)) {
        PrintDiagnostic(PlatformError());
        CloseMainWindow();
        error = "no GL context to draw with";
        return false;
    }
    // The surface the GL gave, and the largest viewport it draws.
    int width = 0, height = 0, largestWidth = 0, largestHeight = 0;
    DrawableSize(width, height);
    LargestViewport(largestWidth, largestHeight);
    if (width != surfaceWidth || height != surfaceHeight || surfaceWidth > largestWidth ||
        surfaceHeight > largestHeight) {
        error = "--size: " + std::to_string(surfaceWidth) + "x" + std::to_string(surfaceHeight) +
                " is more than the GL draws here (at most " + std::to_string(largestWidth) + "x" +
                std::to_string(largestHeight) + ")";
        code = 2;
        TearDownDrawing(app);
        return false;
    }
    SpriteTexture texture = InitScene(app.params, app.pool, app.smoke);
    // The CPU by default, the same bytes on every machine; an exact replay
    // draws with what drew the session.
    bool cpu = options.drawing.renderer != RendererChoice::Gl;
    if (options.drawing.renderer == RendererChoice::Auto && recording && options.exact) cpu = recording->renderer == "cpu";
    ChooseRenderer(app, cpu, options.drawing.threads, std::move(texture));
    return true;
}

// A screenshot taken live of a drawable other than the frames': the frame
// drawn again (the smoke alone, with no simulation step) as the live
// window drew it, at its size, and written as the live one was.
void TakeLiveScreenshot(App &app, const LiveView &view) {
    const std::uint8_t *drawn = nullptr;
    if (app.rasterizer) {
        app.rasterizer->Draw(app.params, app.pool, view, view.width, view.height, app.cpuFrame);
        drawn = app.cpuFrame.rgba.data();
    } else {
        SetFrameView(view, view.width, view.height);
        DrawSmoke(app.params, app.pool);
    }
    app.writeScreenshot(app.screenshotPath.c_str(), view.width, view.height, drawn);
}

void TearDownDrawing(App &app) {
    ShutdownPanel(app.panel);
    ShutdownGraphics();
    CloseMainWindow();
}

// A start that fails leaves nothing it made: the folder made for the PNG
// files goes again, if nothing was written into it.
void RemoveMadeOutDir(const std::string &madeOutDir) {
    std::error_code ignored;
    if (!madeOutDir.empty()) std::filesystem::remove(madeOutDir, ignored);  // only when empty
}

int StoppedBySignal(int drawn, bool video, const std::string &madeOutDir) {
    const int signal = StopSignal();
    RemoveMadeOutDir(madeOutDir);
    Fail("stopped by signal " + std::to_string(signal) + " after " + std::to_string(drawn) + " frames" +
             (video ? "; no video written" : ""),
         1);
    return 128 + signal;
}

// Stopped while drawing: what was rendered is kept, the video finished
// with the frames it took, so that it plays, and the PNG files written.
int KeptAtSignal(int drawn, VideoPipe *video, const FrameWriter &writer, const CaptureOptions &options,
                 const std::string &madeOutDir) {
    const int signal = StopSignal();
    std::string kept;
    if (video && writer.VideoFrames() > 0) {
        std::string error;
        if (video->Finish(error, StoppedAgain))
            kept = "the video " + options.videoPath + " with " + std::to_string(writer.VideoFrames()) + " frames";
        else
            PrintDiagnostic(error);
    } else if (video) {
        video->Abandon();  // no frame: nothing that plays
    }
    if (!options.outDir.empty() && writer.PngFiles() > 0)
        kept += (kept.empty() ? "" : " and ") + std::to_string(writer.PngFiles()) +
                (writer.PngFiles() == 1 ? " PNG file in " : " PNG files in ") + options.outDir;
    RemoveMadeOutDir(madeOutDir);
    Fail("stopped by signal " + std::to_string(signal) + " after " + std::to_string(drawn) + " frames: " +
             (kept.empty() ? std::string("nothing kept") : "kept " + kept),
         1);
    return 128 + signal;
}

// The first file the capture would write that is there already, or "".
std::string FirstInTheWay(const CaptureOptions &options, const FramePlan &plan) {
    std::error_code code;
    const auto there = [&code](const std::string &path) {
        return std::filesystem::symlink_status(path, code).type() != std::filesystem::file_type::not_found;
    };
    if (!options.videoPath.empty() && there(options.videoPath)) return options.videoPath;
    for (int number : plan.PngNumbers(options.every))
        if (there(FrameWriter::PngName(options.outDir, number))) return FrameWriter::PngName(options.outDir, number);
    return "";
}

}  // namespace

int main(int argc, char **argv) {
    InstallStopSignals();
    SetProgramName("nimbrel-capture");
    const ParseResult parsed = ParseCaptureOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (parsed.outcome == ParseOutcome::Help) {
        std::fputs(CaptureUsage(), stdout);
        return 0;
    }
    if (parsed.outcome == ParseOutcome::Version) {
        std::puts("nimbrel-capture " NIMBREL_VERSION);
        return 0;
    }
    if (parsed.outcome == ParseOutcome::UsageError)
        return Fail(parsed.error + "\nTry 'nimbrel-capture --help' for more information.", 2);
    CaptureOptions options = parsed.options;
    // The program's state, driven by the plan rather than the window.
    App app(gParams, gParticles, gSmoke);
    // A replay's frames hold the smoke; the panel only when asked for.
    app.panelDrawn = options.replay.empty() || options.panel;

    if (!options.preset.empty()) {
        const PresetLoad preset = LoadPreset(options.preset, ProgramFolder());
        if (!preset.ok) return Fail(preset.error, 2);
        app.params = preset.params;
    }
    for (const std::string &setting : options.settings) {
        std::string problem;
        if (!ApplySetting(setting, app.params, problem))
            return Fail(problem + "\nTry 'nimbrel-capture --help' for more information.", 2);
    }
    RecordingLoad recording;
    if (!options.replay.empty()) {
        recording = ReadRecordingFile(RecordingPath(options.replay));
        if (!recording.ok) return Fail(recording.error, 2);
        if (!recording.notice.empty()) PrintDiagnostic(recording.notice);
        // The frames keep one size: the session's first drawable, unless
        // --size says otherwise.
        if (!options.sizeGiven && recording.recording.resizesRecorded) {
            options.width = recording.recording.width;
            options.height = recording.recording.height;
        }
    }
    // The frames to draw: the capture's own, or the recording's.
    FramePlan plan(options, recording.ok ? &recording.recording : nullptr, app);
    if (Stopped()) return StoppedBySignal(0, false, "");
    const double from = static_cast<double>(options.fromUs) / 1e6;
    if (recording.ok && options.fromUs > static_cast<std::int64_t>(plan.SessionMs()) * 1000) {
        char lasts[64];
        std::snprintf(lasts, sizeof lasts, "%.3f", static_cast<double>(plan.SessionMs()) / 1000.0);
        return Fail("--from: " + Seconds(from) + " s is past the end of the session, which lasts " + lasts + " s", 2);
    }
    if (plan.InPartCount() == 0) {
        const std::string part = options.toUs < 0 ? "after " + Seconds(from) + " s"
                                 : options.fromUs < 0
                                     ? "up to " + Seconds(static_cast<double>(options.toUs) / 1e6) + " s"
                                     : "after " + Seconds(from) + " s and up to " +
                                           Seconds(static_cast<double>(options.toUs) / 1e6) + " s";
        return Fail((options.fromUs >= 0 ? "--from" : "--to") + std::string(": no frame of the capture lies ") + part +
                        " (its " + std::to_string(plan.Total()) + " frames last " +
                        Seconds(static_cast<double>(plan.Total()) * static_cast<double>(options.fps.den) /
                                static_cast<double>(options.fps.num)) +
                        " s)",
                    2);
    }
    // Nothing is replaced unasked: parts may share a folder, not a file.
    if (!options.overwrite) {
        const std::string inTheWay = FirstInTheWay(options, plan);
        if (!inTheWay.empty()) return Fail(inTheWay + " is there already: give --overwrite to replace it", 2);
    }
    // A recording's screenshots go with the capture's output, never into
    // the working folder: into --out's folder, or beside the video.
    if (recording.ok && !options.outDir.empty())
        app.screenshotPath = (std::filesystem::path(options.outDir) / kScreenshotFile).string();
    else if (recording.ok && !options.videoPath.empty())
        app.screenshotPath = std::filesystem::path(options.videoPath).replace_extension().string() + "-" + kScreenshotFile;

    // Nothing is made on disk until drawing works.
    std::string error;
    plan.Start();  // the recording's start values, before the pool is filled
    int code = 1;
    if (!SetUpDrawing(options, recording.ok ? &recording.recording : nullptr, plan, app, error, code))
        return Fail(error, code);
    const int width = options.width, height = options.height;
    const bool pngFiles = !options.outDir.empty();
    bool made = false;
    std::string madeOutDir;  // the folder made for the PNG files
    if (pngFiles && PrepareOutDir(options.outDir, made, error) && made) madeOutDir = options.outDir;
    if ((pngFiles && !error.empty()) || Stopped()) {
        TearDownDrawing(app);
        return Stopped() ? StoppedBySignal(0, false, madeOutDir) : Fail(error, 1);
    }
    std::unique_ptr<VideoPipe> video;
    if (!options.videoPath.empty()) {
        video = std::make_unique<VideoPipe>();
        if (!video->Start(options.videoPath, width, height, {options.fps.Text(), options.alpha, options.crf, options.codec}, error) ||
            Stopped()) {
            video->Abandon();
            TearDownDrawing(app);
            if (Stopped()) return StoppedBySignal(0, true, madeOutDir);
            RemoveMadeOutDir(madeOutDir);
            return Fail(error, 1);
        }
    }

    int drawn = 0;
    bool written = true;
    {
        FrameWriter writer(options.outDir, video.get(), width, height, options.alpha);
        const int total = plan.Total();
        // Progress counts the frames of the part asked for.
        Progress progress(plan.InPartCount(), stderr, isatty(STDERR_FILENO) != 0);
        int partDone = 0;
        bool pointsCapped = false;
        for (int k = 1; k <= total && written && !Stopped(); ++k) {
            const PlannedFrame step = plan.Prepare(k);
            if (step.beyondPart) break;
            partDone += step.inPart;
            if (!step.drawn) {  // the smoke steps, unseen
                UpdateParticles(app.pool, app.smoke, app.params, step.now);
                if (step.inPart) progress.Update(partDone);
                continue;
            }
            // An exact replay's screenshot of another drawable than the
            // frames' is drawn at its own size; a frame drawn for nothing
            // else is drawn at that size straight away.
            const bool writes = (pngFiles && step.number % options.every == 0) || (video && step.videoCopies > 0);
            const bool shotElsewhere = app.screenshotRequested && options.exact &&
                                       (step.shotView.width != width || step.shotView.height != height);
            const bool shotOnly = shotElsewhere && !writes;
            app.view = shotOnly ? step.shotView : step.view;
            SetFrameView(app.view, shotOnly ? app.view.width : width, shotOnly ? app.view.height : height);
            // The CPU's frame is taken as drawn, unless the panel goes over it.
            app.presentCpuFrame = app.panelShown && app.panelDrawn;
            const bool shotAfter = shotElsewhere && writes;
            if (shotAfter) app.screenshotRequested = false;
            // Sprites the GL cannot draw as large as the size asks are capped.
            const float largest = app.rasterizer ? kLargestSprite : LargestPointSize();
            if (!pointsCapped && app.params.pointSize * PixelScale() > largest) {
                pointsCapped = true;
                PrintDiagnostic("warning: sprites of " + std::to_string(static_cast<int>(app.params.pointSize * PixelScale())) +
                                " pixels at this size are larger than the GL draws (" +
                                std::to_string(static_cast<int>(largest)) + "): they are capped");
            }
            DrawProgramFrame(app, step.now);
            CapturedFrame frame = writer.NextFrame();
            frame.number = step.number;
            frame.png = pngFiles && step.number % options.every == 0;
            frame.videoCopies = video ? step.videoCopies : 0;
            if (frame.png || frame.videoCopies > 0) {
                if (app.rasterizer && !app.presentCpuFrame) {
                    // Its red, green and blue, packed as a read-back packs
                    // them (an alpha frame makes its alpha from them).
                    const std::uint8_t *rgba = app.cpuFrame.rgba.data();
                    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
                    for (std::size_t i = 0; i < pixels; ++i) std::memcpy(&frame.rgb[3 * i], &rgba[4 * i], 3);
                } else if (!ReadBackRgb(width, height, frame.rgb.data())) {
                    error = "cannot read the frame back from the GL";
                    written = false;
                    break;
                }
                written = writer.Submit(std::move(frame));
            }
            if (shotAfter) TakeLiveScreenshot(app, step.shotView);
            CurrentGraphicsPlatform().swapBuffers();
            // Each frame is finished before the next begins. Nothing else
            // waits for a frame that is not read back: the driver would
            // queue frame after frame, memory would grow without bound and
            // the timings would read the queue, not the drawing. (A fence
            // keeping one frame in flight was measured too: slower here.)
            glFinish();
            ++drawn;
            progress.Update(partDone);
        }
        written = writer.Drain() && written;
        progress.Finish();
        if (Stopped()) {
            TearDownDrawing(app);
            return KeptAtSignal(drawn, video.get(), writer, options, madeOutDir);
        }
        if (error.empty()) error = writer.Error();
    }
    TearDownDrawing(app);
    if (!written) {
        if (video) video->Abandon();
        return Fail(error, 1);
    }
    // A stop while ffmpeg finishes the file leaves it to finish: every
    // frame is drawn. A second one gives it up.
    if (video && !video->Finish(error, StoppedAgain))
        return StoppedAgain() ? StoppedBySignal(drawn, true, madeOutDir) : Fail(error, 1);
    PrintOutputLine("nimbrel-capture: " + std::to_string(drawn) + " frames " +
                    (options.exact ? std::string("as played live") : "at " + options.fps.Text() + " fps") +
                    " (" + std::to_string(width) + " x " + std::to_string(height) + "): wrote " +
                    WhatWasWritten(options, plan) + "\n");
    return Stopped() ? 128 + StopSignal() : 0;
}
