// A session's journal, written by a thread of its own, and its kept copies.
#include "values/journal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// How often the thread writes what it was handed, and syncs the file.
constexpr auto kWriteEvery = std::chrono::milliseconds(200);
constexpr auto kSyncEvery = std::chrono::seconds(5);

std::string Stamp(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H%M%S", &local);
    return stamp;
}

bool WriteAll(int fd, const char *data, std::size_t size) {
    while (size > 0) {
        const ssize_t wrote = write(fd, data, size);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return false;
        data += wrote;
        size -= static_cast<std::size_t>(wrote);
    }
    return true;
}

void SyncFolder(const fs::path &folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

// Gives the file at `from` the name `base` in `folder`, or `base-2`,
// `base-3` ..., whichever is free: never replacing a file. The name given,
// or "" with errno set.
std::string LinkUnder(const std::string &from, const fs::path &folder, const std::string &base) {
    for (int n = 1; n < 10000; ++n) {
        const fs::path to = folder / (n == 1 ? base : base + "-" + std::to_string(n));
        if (link(from.c_str(), to.c_str()) == 0) return to.string();
        if (errno != EEXIST) return "";
    }
    errno = EEXIST;
    return "";
}

}  // namespace

Journal::~Journal() {
    std::string ignored;
    if (IsOpen()) Close("", ignored);
}

bool Journal::Open(const fs::path &folder, std::string &error) {
    std::error_code code;
    fs::create_directories(folder, code);
    if (code) {
        error = "cannot make " + folder.string() + ": " + code.message();
        return false;
    }
    const std::string stamp = Stamp(std::time(nullptr));
    for (int n = 1; fd_ < 0 && n < 10000; ++n) {
        const fs::path path = folder / ("session-" + stamp + "-" + std::to_string(n));
        fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            path_ = path.string();
        } else if (errno != EEXIST) {
            error = "cannot make " + path.string() + ": " + std::strerror(errno);
            return false;
        }
    }
    if (fd_ < 0) {
        error = "cannot make a journal in " + folder.string() + ": every name is taken";
        return false;
    }
    flock(fd_, LOCK_EX | LOCK_NB);  // running: no other instance prunes it
    SyncFolder(folder);
    folder_ = folder;
    pending_.reserve(1 << 16);
    spare_.reserve(1 << 16);
    thread_ = std::thread(&Journal::Run, this);
    return true;
}

void Journal::Append(const std::string &text) {
    if (text.empty()) return;
    const std::lock_guard<std::mutex> lock(mutex_);
    pending_ += text;
    handed_ += text.size();
}

void Journal::Keep(const std::string &closing) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        keeps_.push_back({handed_, closing});
    }
    wake_.notify_one();
}

std::vector<std::string> Journal::TakeOutcomes() {
    const std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> taken;
    taken.swap(outcomes_);
    hasOutcomes_ = false;
    return taken;
}

void Journal::Tell(const std::string &outcome) {
    const std::lock_guard<std::mutex> lock(mutex_);
    outcomes_.push_back(outcome);
    hasOutcomes_ = true;
}

bool Journal::WriteOut(const std::string &text) {
    if (failed_ || text.empty()) return !failed_;
    if (WriteAll(fd_, text.data(), text.size())) {
        written_ += text.size();
        return true;
    }
    failed_ = true;
    Tell("cannot write the session's journal " + path_ + ": " + std::strerror(errno) +
         "; the session is recorded no further");
    return false;
}

void Journal::KeepCopy(const KeepRequest &keep) {
    const std::string &closing = keep.closing;
    if (failed_) return Tell("cannot record the session: its journal " + path_ + " could not be written");
    const auto fail = [&](const std::string &why) { Tell("cannot record the session in " + folder_.string() + ": " + why); };
    // A copy made under a name of its own, then linked to its final name,
    // so that no one ever sees it half written.
    std::string temporary;
    int out = -1;
    for (int n = 0; out < 0 && n < 100; ++n) {
        temporary = (folder_ / (".keep-" + std::to_string(getpid()) + "-" + std::to_string(n))).string();
        out = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (out < 0 && errno != EEXIST) return fail(std::strerror(errno));
    }
    if (out < 0) return fail("no name is free for a temporary file");
    std::vector<char> buffer(1 << 16);
    bool ok = true;
    const std::uint64_t length = std::min(keep.length, written_);
    for (std::uint64_t at = 0; ok && at < length;) {
        const ssize_t got = pread(fd_, buffer.data(), std::min<std::uint64_t>(buffer.size(), length - at),
                                  static_cast<off_t>(at));
        if (got < 0 && errno == EINTR) continue;
        ok = got > 0 && WriteAll(out, buffer.data(), static_cast<std::size_t>(got));
        at += got > 0 ? static_cast<std::uint64_t>(got) : 0;
    }
    ok = ok && WriteAll(out, closing.data(), closing.size()) && fsync(out) == 0;
    const int reason = errno;
    ok = close(out) == 0 && ok;
    std::string kept = ok ? LinkUnder(temporary, folder_, Stamp(std::time(nullptr))) : "";
    const int linkReason = errno;
    unlink(temporary.c_str());
    if (!ok || kept.empty()) return fail(std::strerror(ok ? linkReason : reason));
    SyncFolder(folder_);
    Tell("recorded the session as " + kept);
}

void Journal::Run() {
    Clock::time_point lastSync = Clock::now();
    for (;;) {
        std::vector<KeepRequest> keeps;
        bool closing = false;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait_for(lock, kWriteEvery, [this] { return closing_ || !keeps_.empty(); });
            std::swap(pending_, spare_);
            keeps.swap(keeps_);
            closing = closing_;
        }
        WriteOut(spare_);
        spare_.clear();
        const Clock::time_point now = Clock::now();
        if (!failed_ && now - lastSync >= kSyncEvery) {
            fdatasync(fd_);
            const double ms = std::chrono::duration<double, std::milli>(Clock::now() - now).count();
            longestSyncMs_ = std::max(longestSyncMs_, ms);
            lastSync = now;
        }
        for (const KeepRequest &keep : keeps) KeepCopy(keep);
        if (!closing) continue;
        const bool wrote = WriteOut(closingLine_);
        const bool synced = !failed_ && fsync(fd_) == 0;
        const int reason = errno;
        close(fd_);
        fd_ = -1;
        SyncFolder(folder_);
        if (!wrote || !synced) {
            closeFailed_ = true;
            closeError_ = "cannot write the session's journal " + path_ + ": " + std::strerror(reason);
        }
        return;
    }
}

bool Journal::Close(const std::string &closing, std::string &error) {
    if (!IsOpen()) {
        error = "the session has no journal";
        return false;
    }
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
        closingLine_ = closing;
    }
    wake_.notify_one();
    thread_.join();
    error = closeError_;
    return !closeFailed_;
}

void PruneJournals(const fs::path &folder, const std::string &current, std::size_t keepCount,
                   std::uintmax_t keepBytes) {
    struct Entry {
        fs::file_time_type time;
        std::uintmax_t size;
        fs::path path;
    };
    std::vector<Entry> journals;
    std::error_code code;
    const fs::path last = fs::read_symlink(folder / "last-session", code);
    for (fs::directory_iterator it(folder, code), end; !code && it != end; it.increment(code)) {
        const fs::path &path = it->path();
        std::error_code entry;
        if (path.filename().string().rfind("session-", 0) != 0 || path.string() == current ||
            path.filename() == last.filename() || !fs::is_regular_file(fs::symlink_status(path, entry)))
            continue;
        journals.push_back({fs::last_write_time(path, entry), fs::file_size(path, entry), path});
    }
    std::sort(journals.begin(), journals.end(), [](const Entry &a, const Entry &b) { return a.time > b.time; });
    std::uintmax_t total = 0;
    for (std::size_t i = 0; i < journals.size(); ++i) {
        total += journals[i].size;
        if (i < keepCount && total <= keepBytes) continue;
        // Another instance's running journal is locked: it stays.
        const int fd = open(journals[i].path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) continue;
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) unlink(journals[i].path.c_str());
        close(fd);
    }
}

bool PointLastSession(const std::string &journal, std::string &error) {
    const fs::path path(journal), folder = path.parent_path(), name = folder / "last-session";
    std::error_code code;
    const fs::file_status status = fs::symlink_status(name, code);
    if (fs::is_regular_file(status)) {
        // A last session from before journals: kept under its own time.
        struct stat info {};
        const std::time_t when = stat(name.c_str(), &info) == 0 ? info.st_mtime : std::time(nullptr);
        if (LinkUnder(name.string(), folder, Stamp(when)).empty()) {
            error = "cannot keep the earlier " + name.string() + ": " + std::strerror(errno);
            return false;
        }
    } else if (fs::exists(status) && !fs::is_symlink(status)) {
        error = "cannot point " + name.string() + " at the session: something else has that name";
        return false;
    }
    const fs::path temporary = folder / (".last-session-" + std::to_string(getpid()));
    unlink(temporary.c_str());
    if (symlink(path.filename().c_str(), temporary.c_str()) != 0 || rename(temporary.c_str(), name.c_str()) != 0) {
        error = "cannot point " + name.string() + " at the session: " + std::strerror(errno);
        unlink(temporary.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}
