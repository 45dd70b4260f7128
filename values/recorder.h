// The program's recorder, always on: from the first frame it keeps, for
// every frame, the clock readings its update took and every change since
// the frame before to the values, the panel and the screenshots
// (values/recording.h), whatever made the change: keys, sliders, drags, a
// preset, Start values. It writes the session as it runs, to a journal of
// its own in the recordings folder (values/journal.h), so that a crash
// loses a moment, not the session; last-session names the latest session.
// A frame with no change costs a few bytes of text and nothing in memory.
// Before the text would pass what a recording may hold, recording stops,
// with one message; the session runs on. And where recordings are kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/parameters.h"
#include "values/journal.h"
#include "values/recording.h"

// The journals kept besides the running one, and what they may take of the
// disk in all: beyond either, the oldest go at the next start. Recordings
// kept with F9 are never removed.
constexpr std::size_t kKeptJournals = 50;
constexpr std::uintmax_t kKeptJournalBytes = std::uintmax_t{512} << 20;

class Recorder {
public:
    Recorder();

    // Starts recording from the values and the panel as they are now, with
    // the drawable's size and what draws the frames ("cpu" or "gl"), into a journal in `folder`, which last-session
    // then names; the oldest journals beyond the bounds go. False, with
    // `message`, when no journal can be made: the session runs unrecorded.
    bool Start(const std::string &folder, const std::string &version, int width, int height,
               const std::string &renderer, const SimulationParameters &params, bool panelShown,
               std::string &message);

    // A frame begins, before its update reads the clock, drawn with the
    // values, the panel and the live view (values/live_view.h) as they are:
    // the frame before is written, and the changes since it are kept for
    // this one.
    void FrameStarts(const SimulationParameters &params, bool panelShown, const LiveView &view);
    // A clock reading the frame's update takes.
    void Reading(std::uint32_t reading);
    // The frame just drawn is saved as a screenshot.
    void Screenshot();

    // Keeps the session so far as a recording of its own, whole, under its
    // date and time (F9); the outcome comes from TakeOutcomes.
    void Keep();
    // What happened since the last call that the user should hear of: a
    // recording kept, or why not; recording stopped at its limit; a
    // journal that cannot be written.
    bool HasOutcomes() const { return !outcomes_.empty() || journal_.HasOutcomes(); }
    std::vector<std::string> TakeOutcomes();

    // The orderly end: the last frame and the closing line written, and
    // synced. `message` says where the session went, or why it could not.
    bool Finish(std::string &message);

    const std::string &JournalPath() const { return journal_.Path(); }
    // The text so far, in bytes.
    std::size_t Bytes() const { return bytes_; }
    double LongestSyncMs() const { return journal_.LongestSyncMs(); }

private:
    void EndFrame();
    void Change(std::uint8_t what, double value);

    bool running_ = false;
    bool full_ = false;
    bool inFrame_ = false;
    Journal journal_;
    RecordingText text_;
    std::string buffer_;  // text on its way to the journal
    std::uint32_t readings_[255] = {};
    int readingCount_ = 0;
    std::vector<RecordedChange> changes_;  // the frame's
    SimulationParameters seen_;
    bool panelSeen_ = false;
    LiveView viewSeen_;  // as last recorded
    std::size_t bytes_ = 0;
    std::vector<std::string> outcomes_;
};

// Where recordings are kept: $XDG_DATA_HOME/nimbrel/recordings
// (~/.local/share/nimbrel/recordings when unset); "" when neither that nor
// HOME names a folder.
std::string RecordingsFolder();
// The name of the latest session, finished or cut short.
constexpr const char *kLastSession = "last-session";

// The recording of a name (looked up in the recordings folder) or of a
// file (a path with a '/').
std::string RecordingPath(const std::string &nameOrFile);

// Whether `path` can be written as a recording: false, with the reason in
// `message`, when it cannot be made.
bool CanWriteRecording(const std::string &path, std::string &message);
// Copies the recording at `from` to `to`, all or nothing and synced; false
// with the reason in `message`, else "recorded the session as TO".
bool CopyRecording(const std::string &from, const std::string &to, std::string &message);
