// A session's journal: the recording's text appended to a file of its own
// while the session runs, as an editor's swap file keeps the work, so that
// a crash loses a moment rather than the session. A thread of its own does
// the writing: the session hands its text over each frame and never waits
// for the disk; the thread writes it out at least five times a second and
// syncs it every few seconds. Kept copies (F9) and the closing line are
// written there too, in order.
//
// Files: the journal is `session-STAMP-N` in its folder, created under a
// name no other instance can take; a kept copy is `STAMP` (or `STAMP-N`),
// whole, synced, and never replaces a file. A running journal is locked,
// so that another instance's pruning leaves it alone.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class Journal {
public:
    Journal() = default;
    ~Journal();  // closes it as it stands, without a closing line
    Journal(const Journal &) = delete;
    Journal &operator=(const Journal &) = delete;

    // Starts a journal in `folder`, made when missing. False, with `error`,
    // when none can be made.
    bool Open(const std::filesystem::path &folder, std::string &error);
    bool IsOpen() const { return thread_.joinable(); }
    const std::string &Path() const { return path_; }

    // Text that follows the text before: handed over, written soon.
    void Append(const std::string &text);

    // A whole copy of the text so far, `closing` line and all, in a file of
    // its own; its outcome comes back from TakeOutcomes.
    void Keep(const std::string &closing);

    // "recorded the session as PATH", or why a copy or the journal could
    // not be written, once each, since the last call.
    std::vector<std::string> TakeOutcomes();
    bool HasOutcomes() const { return hasOutcomes_; }

    // The last text, then everything written and synced, and the file
    // closed. False, with `error`, when any of it failed.
    bool Close(const std::string &closing, std::string &error);

    // How long the thread's writes and syncs took, at the most, in
    // milliseconds: what a frame would have waited without it.
    double LongestSyncMs() const { return longestSyncMs_; }

private:
    void Run();
    bool WriteOut(const std::string &text);
    // A copy of the text's first `length` bytes, and `closing`.
    struct KeepRequest {
        std::uint64_t length;
        std::string closing;
    };
    void KeepCopy(const KeepRequest &keep);
    void Tell(const std::string &outcome);

    std::filesystem::path folder_;
    std::string path_;
    int fd_ = -1;
    std::uint64_t written_ = 0;  // bytes in the file
    bool failed_ = false;        // a write failed: nothing more is written

    std::mutex mutex_;
    std::condition_variable wake_;
    std::string pending_, spare_;        // handed over, not yet written
    std::uint64_t handed_ = 0;           // bytes handed over in all
    std::vector<KeepRequest> keeps_;     // copies asked for
    std::vector<std::string> outcomes_;
    std::atomic<bool> hasOutcomes_{false};
    bool closing_ = false;
    std::string closingLine_;
    bool closeFailed_ = false;
    std::string closeError_;
    double longestSyncMs_ = 0.0;
    std::thread thread_;
};

// The journals in `folder` beyond the newest `keepCount`, or beyond
// `keepBytes` in all, oldest first, are removed; a running one, another's
// or the one `current` names, never. Kept copies are not journals.
void PruneJournals(const std::filesystem::path &folder, const std::string &current, std::size_t keepCount,
                   std::uintmax_t keepBytes);

// Points the name last-session in the journal's folder at the journal,
// replacing the link before; a regular file there (from an earlier
// version) is kept first under a name of its own. False with `error`.
bool PointLastSession(const std::string &journal, std::string &error);
