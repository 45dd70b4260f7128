// Stopping a capture by signal: a flag the capture reads between steps.
#include "capture/stop_signals.h"

#include <atomic>
#include <csignal>
#include <initializer_list>

namespace {

// Read by the writer thread too: a lock-free atomic is safe from a handler
// and across threads alike. The latest signal in the low byte, how many
// came above it.
std::atomic<int> stops{0};
static_assert(std::atomic<int>::is_always_lock_free, "the stop flag is set from a signal handler");

void OnStopSignal(int signal) {
    int seen = stops.load();
    while (!stops.compare_exchange_weak(seen, (((seen >> 8) + 1) << 8) | (signal & 0xFF))) {
    }
}

}  // namespace

void InstallStopSignals() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    for (int signal : {SIGPIPE, SIGXFSZ}) sigaction(signal, &ignore, nullptr);

    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction inherited {};
        if (sigaction(signal, nullptr, &inherited) == 0 && inherited.sa_handler == SIG_IGN) continue;
        sigaction(signal, &action, nullptr);
    }
}

int StopSignal() { return stops.load() & 0xFF; }

bool StoppedAgain() { return (stops.load() >> 8) >= 2; }
