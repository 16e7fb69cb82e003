#include "analysis/memory_search.h"
#include "analysis/search.h"
#include "bench/bench_registry.h"
#include "bench/result_differences.h"
#include "bench/search_cases.h"

namespace arrange5::bench {

namespace {

constexpr const char* kSharedStore = "shared";
constexpr const char* kFreshStore = "fresh";

SearchShape shapeOf(const SearchCase& c) {
    return c.combination() ? SearchShape::combined(c.k) : SearchShape::single(c.positions);
}

SearchResult runCase(HistoryStore& store, const SearchCase& c, const SearchRequest& request) {
    return c.combination() ? runCombinationSearch(store, request, c.k)
                           : runSingleSearch(store, request);
}

// Runs and times one search and returns its seconds; the first sample of a setting is also checked
// against the in-memory computation, so a figure is never reported for a search that got it wrong.
double measureSearch(benchmark::State& state, BenchResults& results, const MeasureKey& key,
                     HistoryStore& store, const SearchCase& c) {
    const SearchRequest request = requestFor(c, store.rows());
    SearchResult result;
    const double s = secondsOf([&] { result = runCase(store, c, request); });
    results.add(key, s);
    state.counters["hits"] = static_cast<double>(result.hits.size());
    const Measurement* m = results.find(key);
    if (m->seconds.size() == 1) {
        const std::string diff =
            differences(memorySearch(store.rows(), request, shapeOf(c)), result);
        if (diff.empty()) {
            results.note(key, std::to_string(result.hits.size()) + " hits");
        } else {
            results.fail(key, "wrong result: " + diff);
            state.SkipWithError(("wrong result: " + diff).c_str());
        }
    }
    return s;
}

}  // namespace

void registerSearchBenchmarks(const MeasuredHistory& history, BenchResults& results) {
    HistoryFixture* fixture = history.fixture;
    const std::string& h = fixture->name();
    const int reps = history.repetitions;

    for (const SearchCase& c : searchCases()) {
        if (!history.allSearchCases && !c.everySize) continue;
        // Each repetition opens a fresh copy of the imported database, runs the search once
        // (the first run) and then again with the same settings (the repeated run).
        registerTimed("search/" + h + "/" + c.name, reps, [=, &results](benchmark::State& state) {
            const MeasureKey firstKey{"search-first", h, c.name};
            const MeasureKey repeatKey{"search-repeated", h, c.name};
            for (auto _ : state) {
                guarded(state, results, firstKey, [&] {
                    HistoryStore store(fixture->freshCopy(kFreshStore));
                    const double first = measureSearch(state, results, firstKey, store, c);
                    const double repeated = measureSearch(state, results, repeatKey, store, c);
                    state.SetIterationTime(first);
                    state.counters["repeated_ms"] = repeated * 1e3;
                });
            }
        });

        // The in-memory floor of the same search: the draws already in a vector.
        benchmark::RegisterBenchmark(
            ("floor-memory/" + h + "/" + c.name).c_str(),
            [=, &results](benchmark::State& state) {
                const MeasureKey key{"floor-memory", h, c.name};
                guarded(state, results, key, [&] {
                    const HistorySnapshot& rows = fixture->store(kSharedStore).rows();
                    const SearchRequest request = requestFor(c, rows);
                    double total = 0;
                    for (auto _ : state) {
                        const double s = secondsOf([&] {
                            SearchResult r = memorySearch(rows, request, shapeOf(c));
                            benchmark::DoNotOptimize(r);
                        });
                        state.SetIterationTime(s);
                        total += s;
                    }
                    results.add(key, total / static_cast<double>(state.iterations()));
                });
            })
            ->Repetitions(reps)
            ->MinTime(0.05)
            ->UseManualTime()
            ->DisplayAggregatesOnly(reps > 1)
            ->Unit(benchmark::kMillisecond);
    }
}

}  // namespace arrange5::bench
