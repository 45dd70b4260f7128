// Progress of a capture on the standard error: a bar redrawn in place on a
// terminal, otherwise one plain line at every tenth of the work.
#pragma once

#include <chrono>
#include <cstdio>

class Progress {
public:
    Progress(int total, std::FILE *stream, bool terminal);

    // `done` frames of the total are drawn.
    void Update(int done);

    // Ends the bar's line, so that what follows starts on a new one.
    void Finish();

private:
    double Elapsed() const;

    const int total_;
    std::FILE *const stream_;
    const bool terminal_;
    const std::chrono::steady_clock::time_point start_;
    double lastDrawn_ = -1.0;
    int lastTenth_ = 0;
    bool drawn_ = false;
};
