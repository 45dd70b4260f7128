// The program's recorder, always on: from the first frame it keeps, for
// every frame, the clock readings its update took and every change since
// the frame before to the values, the panel and the screenshots
// (app/recording.h), whatever made the change: keys, sliders, drags, a
// preset, Start values. A frame with no change costs five bytes. Past
// kMaxRecordedBytes of text recording stops, with one message; the session
// runs on.
#pragma once

#include <cstddef>
#include <string>

#include "app/recording.h"
#include "sim/clock.h"

// The text a recording may reach before the recorder stops: the loader's
// limit, less room for the header.
constexpr std::size_t kMaxRecordedBytes = kMaxRecordingBytes - (64u << 10);

// Starts recording from the values and the panel as they are now, with the
// drawable's size, reading the clock through `clock`.
void StartRecorder(const std::string &version, int width, int height, MillisecondClock clock);
bool RecorderRunning();

// The clock the program installs while recording (sim/clock.h): the
// reading of the clock given to StartRecorder, kept for the frame.
std::uint32_t RecordingClock();

// A frame begins, before its update reads the clock: the changes since
// the frame before are kept for it.
void RecorderFrameStarts();
// The frame just drawn is saved as a screenshot.
void RecorderScreenshot();

// The session so far.
const Recording &RecordedSession();

// Where recordings are kept: $XDG_DATA_HOME/nimbrel/recordings
// (~/.local/share/nimbrel/recordings when unset); "" when neither that nor
// HOME names a folder.
std::string RecordingsFolder();
// The name last-session, kept at every orderly exit.
constexpr const char *kLastSession = "last-session";

// Writes the session so far to `path`, all or nothing and synced; false
// with the reason in `message`, else "recorded the session as PATH".
bool SaveRecording(const std::string &path, std::string &message);
// Writes it into the recordings folder under a name made of the date and
// time ("2026-12-09-104156"), or as last-session.
bool SaveRecordingNow(std::string &message);
bool KeepLastSession(std::string &message);

// The recording of a name (looked up in the recordings folder) or of a
// file (a path with a '/').
std::string RecordingPath(const std::string &nameOrFile);

// Ends recording and forgets the session; for tests.
void StopRecorder();
