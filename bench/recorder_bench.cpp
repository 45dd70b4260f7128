// Cost of recording a session as it runs: what a frame pays on the main
// thread (its text handed to the journal's thread), what an hour at 60
// frames a second leaves in memory and how long the thread's syncs take,
// and what F9 costs the frame after eight hours.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "values/recorder.h"

namespace {

// A scratch folder for the journals, removed afterwards.
struct Folder {
    Folder() {
        char pattern[] = "/tmp/nimbrel-bench-XXXXXX";
        if (mkdtemp(pattern)) path = pattern;
    }
    ~Folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::string path;
};

// The resident memory, in KiB.
double ResidentKiB() {
    long pages = 0, resident = 0;
    std::FILE *statm = std::fopen("/proc/self/statm", "r");
    if (statm) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1024.0;
}

// One frame as the program records it: its changes, then its clock's
// reading; `changed` frames move the sprite size.
void Frame(Recorder &recorder, SimulationParameters &params, std::uint32_t &now, bool changed) {
    if (changed) params.pointSize = params.pointSize == 34.0f ? 38.0f : 34.0f;
    recorder.FrameStarts(params, false, LiveView{800, 800, false});
    recorder.Reading(now += 16);
}

// Argument 0: frames with no change (a run's few bytes), 1: a change every
// frame (a line each). Half a million frames, well within a recording's
// limit.
void BM_RecorderFrame(benchmark::State &state) {
    Folder folder;
    Recorder recorder;
    SimulationParameters params;
    std::string message;
    if (!recorder.Start(folder.path, "bench", 800, 800, "cpu", params, false, message)) state.SkipWithError(message.c_str());
    std::uint32_t now = 0;
    for (auto _ : state) Frame(recorder, params, now, state.range(0) != 0);
    state.counters["bytes_per_frame"] = static_cast<double>(recorder.Bytes()) / static_cast<double>(state.iterations());
    recorder.Finish(message);
}
BENCHMARK(BM_RecorderFrame)->Arg(0)->Arg(1)->Iterations(500000);

// What the journal's thread pays every five seconds: five seconds of text
// at 60 frames a second written, then synced, in a file on the disk the
// build lives on.
void BM_JournalSync(benchmark::State &state) {
    const std::string path = "recorder-bench-sync-" + std::to_string(getpid());
    std::FILE *file = std::fopen(path.c_str(), "w");
    const std::string fiveSeconds(300 * 5, '7');
    for (auto _ : state) {
        std::fwrite(fiveSeconds.data(), 1, fiveSeconds.size(), file);
        std::fflush(file);
        fdatasync(fileno(file));
    }
    std::fclose(file);
    std::remove(path.c_str());
}
BENCHMARK(BM_JournalSync)->Unit(benchmark::kMillisecond)->UseRealTime();

// An hour at 60 frames a second, a change every second: the memory it
// leaves, and the longest of the thread's syncs.
void BM_RecorderHour(benchmark::State &state) {
    for (auto _ : state) {
        Folder folder;
        Recorder recorder;
        SimulationParameters params;
        std::string message;
        recorder.Start(folder.path, "bench", 800, 800, "cpu", params, false, message);
        std::uint32_t now = 0;
        const double before = ResidentKiB();
        for (int frame = 0; frame < 60 * 3600; ++frame) Frame(recorder, params, now, frame % 60 == 0);
        state.counters["memory_growth_KiB"] = ResidentKiB() - before;
        state.counters["text_MiB"] = static_cast<double>(recorder.Bytes()) / (1 << 20);
        recorder.Finish(message);
        state.counters["longest_sync_ms"] = recorder.LongestSyncMs();
    }
}
BENCHMARK(BM_RecorderHour)->Iterations(1)->Unit(benchmark::kMillisecond);

// F9 after eight hours at 60 frames a second: what the frame pays (the
// call), and how long the copy takes to reach the disk, on its thread.
void BM_RecorderKeepAfterEightHours(benchmark::State &state) {
    Folder folder;
    Recorder recorder;
    SimulationParameters params;
    std::string message;
    recorder.Start(folder.path, "bench", 800, 800, "cpu", params, false, message);
    std::uint32_t now = 0;
    for (int frame = 0; frame < 60 * 3600 * 8; ++frame) Frame(recorder, params, now, frame % 60 == 0);
    double copyMs = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        recorder.Keep();
        state.PauseTiming();
        while (!recorder.HasOutcomes()) std::this_thread::sleep_for(std::chrono::microseconds(100));
        copyMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        recorder.TakeOutcomes();
        Frame(recorder, params, now, false);
        state.ResumeTiming();
    }
    state.counters["copy_ms"] = copyMs;
    state.counters["text_MiB"] = static_cast<double>(recorder.Bytes()) / (1 << 20);
    recorder.Finish(message);
}
BENCHMARK(BM_RecorderKeepAfterEightHours)->Iterations(5)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
