// The PPM writer: the exact header, the size, and failures that
// leave the old file alone.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "image/ppm_writer.h"
#include "io/replacement_file.h"
#include "tests/scratch_dir.h"

// Counts the calls of umask made by the code under test: this binary's
// definition comes before the C library's.
namespace {
int umaskCalls = 0;
}  // namespace
extern "C" mode_t umask(mode_t mask) {
    ++umaskCalls;
    return static_cast<mode_t>(syscall(SYS_umask, mask));
}

namespace {

class PpmWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch_.Ok());
        dir_ = scratch_.Path();
    }

    static std::string Read(const std::string &path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // WritePpm, with the line it gives for the user.
    static bool Write(const std::string &path, const std::vector<unsigned char> &rgb, int w, int h,
                      std::string &printed) {
        const PpmOutcome outcome = WritePpm(path.c_str(), rgb.data(), w, h);
        printed = outcome.line;
        return outcome.written;
    }
    int FilesInDir() const {
        return static_cast<int>(std::distance(std::filesystem::directory_iterator(dir_),
                                              std::filesystem::directory_iterator()));
    }
    ScratchDir scratch_;
    std::string dir_;
};

TEST_F(PpmWriterTest, TwoByTwoIsWrittenTopRowFirst) {
    // Top row C, D; bottom row A, B.
    const std::vector<unsigned char> rgb = {'C', 'c', '3', 'D', 'd', '4', 'A', 'a', '1', 'B', 'b', '2'};
    std::string printed;
    const std::string path = dir_ + "/small.ppm";
    ASSERT_TRUE(Write(path, rgb, 2, 2, printed));
    EXPECT_EQ(Read(path), std::string("P6\n# CREATOR: glReadPixel()\n2 2\n255\nCc3Dd4Aa1Bb2"));
    EXPECT_EQ(printed, "wrote file (2 x 2 pixels, 12 bytes)\n");
}

TEST_F(PpmWriterTest, ScreenSizedFileHasTheFortyByteHeader) {
    const std::vector<unsigned char> rgb(800 * 800 * 3, 7);
    std::string printed;
    const std::string path = dir_ + "/screenshot0.ppm";
    ASSERT_TRUE(Write(path, rgb, 800, 800, printed));
    const std::string file = Read(path);
    EXPECT_EQ(file.size(), 1920000u + 40u);
    EXPECT_EQ(file.substr(0, 40), "P6\n# CREATOR: glReadPixel()\n800 800\n255\n");
    EXPECT_EQ(printed, "wrote file (800 x 800 pixels, 1920000 bytes)\n");
    EXPECT_EQ(FilesInDir(), 1);  // nothing left beside it

    struct stat status {};
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_NE(status.st_mode & S_IRGRP, 0u) << "readable like any new file";

    // A second write replaces the first, keeping the file's permissions.
    ASSERT_EQ(chmod(path.c_str(), 0604), 0);
    const std::vector<unsigned char> other(800 * 800 * 3, 9);
    ASSERT_TRUE(Write(path, other, 800, 800, printed));
    EXPECT_EQ(Read(path)[40], 9);
    EXPECT_EQ(FilesInDir(), 1);
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0604u);
}

TEST_F(PpmWriterTest, UnopenablePathWarnsAndReturnsFalse) {
    std::string printed;
    const std::string path = dir_ + "/missing/screenshot0.ppm";
    EXPECT_FALSE(Write(path, std::vector<unsigned char>(12), 2, 2, printed));
    EXPECT_EQ(printed, "Warning: cannot open " + path + "\n");
}

// What a user without root rights meets: a folder in the target's place,
// and a file the user made read-only in a folder the user may write.
// Both are left exactly as they were.
TEST_F(PpmWriterTest, TargetThatCannotBeOpenedIsLeftAsItIs) {
    const std::string folder = dir_ + "/screenshot0.ppm";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    std::string printed;
    EXPECT_FALSE(Write(folder, std::vector<unsigned char>(12), 2, 2, printed));
    EXPECT_EQ(printed, "Warning: cannot open " + folder + "\n");
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(FilesInDir(), 1);

    // Root may write any file, so the user's side runs in a child process
    // that has given up root; it reports what it saw through a pipe.
    ASSERT_EQ(chmod(dir_.c_str(), 0777), 0);
    const std::string kept = dir_ + "/kept.ppm";
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
        std::FILE *f = std::fopen(kept.c_str(), "wb");
        if (!f || std::fputs("kept", f) < 0 || std::fclose(f) != 0) _exit(4);
        if (chmod(kept.c_str(), 0444) != 0) _exit(5);
        std::string line;
        const bool ok = Write(kept, std::vector<unsigned char>(12), 2, 2, line);
        line += ok ? "written" : "refused";
        _exit(write(report[1], line.data(), line.size()) == static_cast<ssize_t>(line.size()) ? 0 : 6);
    }
    close(report[1]);
    char seen[256] = {};
    const ssize_t length = read(report[0], seen, sizeof seen - 1);
    close(report[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    EXPECT_EQ(std::string(seen, length > 0 ? length : 0),
              "Warning: cannot open " + kept + "\nrefused");
    EXPECT_EQ(Read(kept), "kept");
    EXPECT_EQ(FilesInDir(), 2);
}

TEST_F(PpmWriterTest, FailedWriteKeepsTheOldFile) {
    const std::string path = dir_ + "/screenshot0.ppm";
    std::string printed;
    ASSERT_TRUE(Write(path, std::vector<unsigned char>(12, 1), 2, 2, printed));
    const std::string before = Read(path);

    // A file size limit makes the block write come up short.
    const std::vector<unsigned char> big(800 * 800 * 3, 2);
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool written = Write(path, big, 800, 800, printed);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(printed, "Warning: cannot write " + path + "\n");
    EXPECT_EQ(Read(path), before);
    EXPECT_EQ(FilesInDir(), 1);  // the unfinished file is gone
}

TEST_F(PpmWriterTest, NegativeSizeIsRefused) {
    std::string printed;
    EXPECT_FALSE(Write(dir_ + "/bad.ppm", {}, -1, 5, printed));
    EXPECT_EQ(FilesInDir(), 0);
}

// The umask is the whole process's: changing it even for a moment races
// with every other thread that creates a file. A new file gets 0666 less
// the umask from the kernel, and its descriptor is closed on exec, so that
// a program started meanwhile (ffmpeg) does not hold it.
TEST_F(PpmWriterTest, NewFileTakesTheUmaskWithoutChangingItAndIsClosedOnExec) {
    const mode_t saved = static_cast<mode_t>(syscall(SYS_umask, 077));
    umaskCalls = 0;
    ReplacementFile file;
    const bool opened = file.Open(dir_ + "/new.png");
    const int flags = opened ? fcntl(fileno(file.Stream()), F_GETFD) : 0;
    const bool committed = opened && file.Commit();
    syscall(SYS_umask, saved);
    ASSERT_TRUE(committed);
    EXPECT_EQ(umaskCalls, 0);
    EXPECT_NE(flags & FD_CLOEXEC, 0);
    struct stat status {};
    ASSERT_EQ(stat((dir_ + "/new.png").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
}

// A link planted at the picture's name, in a shared folder, to someone's
// file, or dangling: the write replaces the link itself and the file it
// names is untouched, nor is the dangling one's target made.
TEST_F(PpmWriterTest, ALinkAtTheNameIsReplacedNotFollowed) {
    const std::vector<unsigned char> rgb(12, 'x');
    const std::string victim = dir_ + "/victim.txt", shot = dir_ + "/screenshot0.ppm";
    { std::ofstream(victim) << "precious\n"; }
    ASSERT_EQ(symlink(victim.c_str(), shot.c_str()), 0);
    std::string printed;
    ASSERT_TRUE(Write(shot, rgb, 2, 2, printed));
    EXPECT_EQ(Read(victim), "precious\n");
    struct stat status {};
    ASSERT_EQ(lstat(shot.c_str(), &status), 0);
    EXPECT_TRUE(S_ISREG(status.st_mode));
    EXPECT_EQ(Read(shot), "P6\n# CREATOR: glReadPixel()\n2 2\n255\n" + std::string(12, 'x'));

    const std::string dangling = dir_ + "/dangling.ppm", nowhere = dir_ + "/made-elsewhere.ppm";
    ASSERT_EQ(symlink(nowhere.c_str(), dangling.c_str()), 0);
    ASSERT_TRUE(Write(dangling, rgb, 2, 2, printed));
    EXPECT_FALSE(std::filesystem::exists(nowhere));
    ASSERT_EQ(lstat(dangling.c_str(), &status), 0);
    EXPECT_TRUE(S_ISREG(status.st_mode));
}

}  // namespace
