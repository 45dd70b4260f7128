// The program's recorder, always on: from the first frame it keeps, for
// every frame, the clock readings its update took and every change since
// the frame before to the values, the panel and the screenshots
// (values/recording.h), whatever made the change: keys, sliders, drags, a
// preset, Start values. A frame with no change costs five bytes. Past
// kMaxRecordedBytes of text recording stops, with one message; the session
// runs on. And where recordings are kept, and how.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "values/recording.h"
#include "sim/parameters.h"

// The text a recording may reach before the recorder stops: the loader's
// limit, less room for the header.
constexpr std::size_t kMaxRecordedBytes = kMaxRecordingBytes - (64u << 10);

class Recorder {
public:
    // Starts recording from the values and the panel as they are now, with
    // the drawable's size.
    void Start(const std::string &version, int width, int height, const SimulationParameters &params,
               bool panelShown);

    // A frame begins, before its update reads the clock: the changes since
    // the frame before are kept for it.
    void FrameStarts(const SimulationParameters &params, bool panelShown);
    // A clock reading the frame's update takes.
    void Reading(std::uint32_t reading);
    // The frame just drawn is saved as a screenshot.
    void Screenshot();

    // The session so far.
    const Recording &Session() const { return session_; }

private:
    void Change(std::uint8_t what, double value);

    bool running_ = false;
    bool full_ = false;
    Recording session_;
    SimulationParameters seen_;
    bool panelSeen_ = false;
    std::uint32_t previous_ = 0;
    std::size_t textBytes_ = 0;
};

// Where recordings are kept: $XDG_DATA_HOME/nimbrel/recordings
// (~/.local/share/nimbrel/recordings when unset); "" when neither that nor
// HOME names a folder.
std::string RecordingsFolder();
// The name last-session, kept at every orderly exit.
constexpr const char *kLastSession = "last-session";

// Writes `session` to `path`, all or nothing and synced; false with the
// reason in `message`, else "recorded the session as PATH".
bool SaveRecording(const Recording &session, const std::string &path, std::string &message);
// Writes it into the recordings folder under a name made of the date and
// time ("2026-12-09-104156"), or as last-session.
bool SaveRecordingNow(const Recording &session, std::string &message);
bool KeepLastSession(const Recording &session, std::string &message);

// The recording of a name (looked up in the recordings folder) or of a
// file (a path with a '/').
std::string RecordingPath(const std::string &nameOrFile);
