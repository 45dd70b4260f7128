// Stopping a capture by signal: INT, TERM and HUP only raise a flag, which
// the capture reads between steps and answers by keeping what it rendered
// and exiting with 128 + the signal; a second one while it finishes the
// video gives the video up. Installed first thing, before any file, process or
// GL context exists.
#pragma once

// Catches INT, TERM and HUP, except one that was ignored at start (under
// nohup, HUP stays ignored); ignores PIPE and XFSZ, so that a write to a
// stopped ffmpeg or past a file size limit fails and is reported instead
// of ending the process. Calls interrupted by a caught signal restart.
void InstallStopSignals();

// The signal that asked for a stop, or 0. Safe from any thread.
int StopSignal();
// Whether a second stop signal came.
bool StoppedAgain();
