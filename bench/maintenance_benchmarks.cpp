#include <filesystem>

#include "acquire/maintenance.h"
#include "acquire/replace_history.h"
#include "bench/bench_registry.h"
#include "store/errors.h"
#include "store/sql_connection.h"

namespace arrange5::bench {

namespace fs = std::filesystem;

namespace {

constexpr const char* kMaintenanceStore = "maintenance";
constexpr const char* kSharedStore = "shared";

}  // namespace

void registerMaintenanceBenchmarks(const MeasuredHistory& history, BenchResults& results) {
    HistoryFixture* fixture = history.fixture;
    const std::string& h = fixture->name();

    // Import over a history of the same size, as the window's import replaces what is there.
    registerTimed("import/" + h, history.repetitions, [=, &results](benchmark::State& state) {
        const MeasureKey key{"import", h, ""};
        for (auto _ : state) {
            guarded(state, results, key, [&] {
                HistoryStore& store = fixture->store(kMaintenanceStore);
                ReplaceReport report;
                const double s =
                    secondsOf([&] { report = importHistoryFile(store, fixture->historyFile()); });
                state.SetIterationTime(s);
                results.add(key, s);
                results.note(key, std::to_string(report.stored) + " draws");
            });
        }
    });

    // The rebuild from a backup file holding the whole history.
    registerTimed("rebuild/" + h, history.repetitions, [=, &results](benchmark::State& state) {
        const MeasureKey key{"rebuild", h, ""};
        for (auto _ : state) {
            guarded(state, results, key, [&] {
                HistoryStore& store = fixture->store(kMaintenanceStore);
                fs::copy_file(fixture->historyFile(), backupFilePath(store),
                              fs::copy_options::overwrite_existing);
                ReplaceReport report;
                const double s = secondsOf([&] { report = rebuildFromBackup(store); });
                state.SetIterationTime(s);
                results.add(key, s);
                results.note(key, std::to_string(report.stored) + " draws");
            });
        }
    });

    // The rewrite floor: the cheapest statement that rewrites every row, which a search that
    // changes a working column of the whole table pays at least once. SQLite leaves a row
    // whose bytes do not change unwritten, so every intTh is made 1 first; the same
    // statement run again, when nothing changes, is the scan floor.
    registerTimed(
        "floor-rewrite/" + h, history.repetitions, [=, &results](benchmark::State& state) {
            const MeasureKey rewriteKey{"floor-rewrite", h, ""};
            const MeasureKey scanKey{"floor-scan", h, ""};
            for (auto _ : state) {
                guarded(state, results, rewriteKey, [&] {
                    HistoryStore& store = fixture->store(kSharedStore);
                    sqlConnection(store).exec("UPDATE Lishi SET intTh = 1");
                    const double s =
                        secondsOf([&] { sqlConnection(store).exec("UPDATE Lishi SET intTh = 0"); });
                    const double scan =
                        secondsOf([&] { sqlConnection(store).exec("UPDATE Lishi SET intTh = 0"); });
                    state.SetIterationTime(s);
                    state.counters["scan_ms"] = scan * 1e3;
                    results.add(rewriteKey, s);
                    results.add(scanKey, scan);
                });
            }
        });
}

}  // namespace arrange5::bench
