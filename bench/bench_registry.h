#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <exception>
#include <string>
#include <utility>

#include "bench/bench_results.h"
#include "bench/history_fixture.h"

namespace arrange5::bench {

// One history and how often each of its measurements is repeated (few for the largest).
struct MeasuredHistory {
    HistoryFixture* fixture = nullptr;
    int repetitions = 1;
    bool allSearchCases = true;  // otherwise only the cases marked everySize
};

// Registers one measurement: every repetition is one timed sample, recorded in `results`.
// The body times what it measures itself (manual time), so setting up a fresh database
// never counts.
template <class Body>
benchmark::internal::Benchmark* registerTimed(const std::string& name, int repetitions, Body body) {
    return benchmark::RegisterBenchmark(name.c_str(), std::move(body))
        ->Iterations(1)
        ->Repetitions(repetitions)
        ->UseManualTime()
        ->DisplayAggregatesOnly(repetitions > 1)
        ->Unit(benchmark::kMillisecond);
}

template <class F>
double secondsOf(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A failure of the measured code ends the measurement with its message instead of a time.
template <class F>
void guarded(benchmark::State& state, BenchResults& results, const MeasureKey& key, F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        results.fail(key, e.what());
        state.SkipWithError(e.what());
    }
}

void registerMaintenanceBenchmarks(const MeasuredHistory& history, BenchResults& results);
void registerSearchBenchmarks(const MeasuredHistory& history, BenchResults& results);
// Only when the window is built (ARRANGE5_BENCH_WINDOW).
void registerWindowBenchmarks(const MeasuredHistory& history, BenchResults& results);
// Ends the window's QApplication while Qt is still whole, before static destruction.
void shutDownWindowBenchmarks();

}  // namespace arrange5::bench
