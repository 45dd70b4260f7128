// The video: frames piped to the ffmpeg program, the one program started here.
#include "capture/video_pipe.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <vector>

#include "io/text.h"

extern char **environ;

namespace {

std::string DescribeStatus(int status) {
    if (WIFEXITED(status)) return "exit status " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return "killed by signal " + std::to_string(WTERMSIG(status));
    return "status " + std::to_string(status);
}

// Waits for `pid` to end, through interruptions by caught signals.
bool WaitFor(pid_t pid, int &status) {
    for (;;) {
        if (waitpid(pid, &status, 0) == pid) return true;
        if (errno != EINTR) return false;
    }
}

// Starts `program`, found on the PATH, with `args`, its standard input from `input`, its
// standard error thrown away when `quiet`. In a group of its own, so that
// Ctrl-C reaches the capture, which then stops ffmpeg in order; the
// signals the capture ignores for itself back at their defaults (a signal
// ignored when the capture started stays ignored). 0 or an errno value.
int Spawn(const std::string &program, std::vector<std::string> args, int input, bool quiet, pid_t &pid) {
    std::vector<char *> argv;
    for (std::string &arg : args) argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
    if (quiet) posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int signal : {SIGPIPE, SIGXFSZ}) sigaddset(&defaults, signal);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);
    const int spawned = posix_spawnp(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return spawned;
}

}  // namespace

VideoPipe::~VideoPipe() { Abandon(); }

namespace {

// The encoder's arguments for a video named `path`. Without a codec, a
// quality or alpha, every name but .mp4 and .webm as ffmpeg chooses for it.
std::vector<std::string> EncoderArgs(const std::string &path, const VideoPipe::Format &format) {
    const auto crf = [&format](int byDefault) { return std::to_string(format.crf >= 0 ? format.crf : byDefault); };
    const std::string extension = LowerExtension(path);
    const bool mp4 = extension == ".mp4";
    const bool quickTime = mp4 || extension == ".mov";
    std::vector<std::string> args;
    if (mp4) args = {"-f", "mp4"};
    if (format.codec == "h264") {
        args.insert(args.end(), {"-c:v", "libx264", "-preset", "fast", "-crf", crf(18), "-pix_fmt", "yuv420p"});
    } else if (format.codec == "h265") {
        args.insert(args.end(), {"-c:v", "libx265", "-preset", "fast", "-crf", crf(28), "-pix_fmt", "yuv420p"});
        if (quickTime) args.insert(args.end(), {"-tag:v", "hvc1"});  // as players there look for it
    } else if (format.codec == "vp9") {
        args.insert(args.end(), {"-c:v", "libvpx-vp9", "-crf", crf(31), "-b:v", "0", "-deadline", "good", "-cpu-used",
                                 "4", "-row-mt", "1", "-pix_fmt", format.alpha ? "yuva420p" : "yuv420p"});
    } else if (format.alpha) {  // .mov: the options refuse alpha in any other name
        args.insert(args.end(), {"-c:v", "prores_ks", "-profile:v", "4444", "-pix_fmt", "yuva444p10le"});
    }
    if (mp4) args.insert(args.end(), {"-movflags", "+faststart"});
    return args;
}

}  // namespace

bool VideoPipe::Start(const std::string &path, int width, int height, const Format &format, std::string &error) {
    const std::string &fps = format.fps;
    const std::string ffmpeg = "ffmpeg";
    if (!file_.Open(path)) {
        error = "cannot write the video " + path + ": " + std::strerror(errno);
        return false;
    }

    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    std::vector<std::string> output = EncoderArgs(path, format);
    // A name that starts with '-' is a file, not an option.
    const std::string &temporary = file_.TemporaryPath();
    output.push_back(temporary[0] == '-' ? "./" + temporary : temporary);
    const std::vector<std::string> start = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y"};

    // A one-frame dry run onto the same file: a name ffmpeg has no format
    // for is refused before anything is drawn.
    std::vector<std::string> dryRun = start;
    dryRun.insert(dryRun.end(), {"-f", "lavfi", "-i", "color=c=black:s=" + size + ":r=" + fps,
                                 "-frames:v", "1"});
    dryRun.insert(dryRun.end(), output.begin(), output.end());
    const int nothing = open("/dev/null", O_RDONLY | O_CLOEXEC);
    pid_t tried = -1;
    int status = 0;
    const int spawnedDryRun = nothing < 0 ? errno : Spawn(ffmpeg, dryRun, nothing, true, tried);
    if (nothing >= 0) close(nothing);
    if (spawnedDryRun != 0) {
        file_.Discard();
        error = spawnedDryRun == ENOENT
                    ? "--video needs the ffmpeg program, which is not installed (Debian package ffmpeg)"
                    : "cannot start " + ffmpeg + ": " + std::strerror(spawnedDryRun);
        return false;
    }
    if (!WaitFor(tried, status) || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        file_.Discard();
        error = "--video: ffmpeg cannot make a video named " + path + " here (its encoders: ffmpeg -encoders)";
        return false;
    }

    std::vector<std::string> args = start;
    args.insert(args.end(), {"-f", "rawvideo", "-pixel_format", format.alpha ? "rgba" : "rgb24", "-video_size", size,
                             "-framerate", fps, "-i", "pipe:0"});
    args.insert(args.end(), output.begin(), output.end());
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        error = std::string("cannot start ffmpeg: ") + std::strerror(errno);
        file_.Discard();
        return false;
    }
    const int spawned = Spawn(ffmpeg, args, fds[0], false, ffmpeg_);
    close(fds[0]);
    if (spawned != 0) {
        ffmpeg_ = -1;
        close(fds[1]);
        file_.Discard();
        error = "cannot start " + ffmpeg + ": " + std::strerror(spawned);
        return false;
    }
    input_ = fds[1];
    frameBytes_ = std::size_t{format.alpha ? 4u : 3u} * static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    return true;
}

bool VideoPipe::WriteFrame(const unsigned char *rgb, std::string &error) {
    std::size_t done = 0;
    while (input_ >= 0 && done < frameBytes_) {
        const ssize_t written = write(input_, rgb + done, frameBytes_ - done);
        if (written > 0) {
            done += static_cast<std::size_t>(written);
        } else if (written < 0 && errno != EINTR) {
            error = StoppedEarly();
            return false;
        }
    }
    return input_ >= 0;
}

std::string VideoPipe::StoppedEarly() {
    close(input_);
    input_ = -1;
    int status = 0;
    const bool ended = ffmpeg_ > 0 && WaitFor(ffmpeg_, status);
    ffmpeg_ = -1;
    file_.Discard();
    return "ffmpeg stopped taking frames early" + (ended ? " (" + DescribeStatus(status) + ")" : std::string());
}

bool VideoPipe::Finish(std::string &error, bool (*stopped)()) {
    if (ffmpeg_ < 0) {
        error = "no video is being made";
        return false;
    }
    close(input_);
    input_ = -1;
    // ffmpeg finishes the file in its own time; a stop meanwhile ends it.
    int status = 0;
    bool ended = false;
    for (;;) {
        const pid_t done = waitpid(ffmpeg_, &status, WNOHANG);
        if (done == ffmpeg_) {
            ended = true;
            break;
        }
        if (done < 0 && errno != EINTR) break;
        if (stopped && stopped()) {
            Abandon();
            error = "stopped while ffmpeg was finishing the video";
            return false;
        }
        usleep(10000);
    }
    ffmpeg_ = -1;
    if (!ended || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        file_.Discard();
        error = "ffmpeg failed (" + (ended ? DescribeStatus(status) : std::string("lost")) + ")";
        return false;
    }
    if (stopped && stopped()) {
        file_.Discard();
        error = "stopped while ffmpeg was finishing the video";
        return false;
    }
    if (!file_.Commit()) {
        error = std::string("cannot move the video into place: ") + std::strerror(errno);
        return false;
    }
    return true;
}

void VideoPipe::Abandon() {
    if (input_ >= 0) close(input_);
    input_ = -1;
    if (ffmpeg_ > 0) {
        kill(ffmpeg_, SIGTERM);
        int status = 0;
        WaitFor(ffmpeg_, status);
    }
    ffmpeg_ = -1;
    file_.Discard();
}
