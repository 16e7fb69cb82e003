// arrange5-bench: import, rebuild and both searches on the bundled real history and on
// generated histories of 100,000 and 1,000,000 draws, with the two floors every search is
// compared with. Google Benchmark's own flags work as usual; in addition
//   --table=FILE   writes the markdown table of docs/performance.md to FILE
//   --work=DIR     keeps the generated histories and databases in DIR (default: a
//                  temporary folder, removed at the end)
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <random>

#include "bench/bench_registry.h"
#include "bench/generated_history.h"
#include "bench/performance_table.h"
#include "bench/search_cases.h"
#include "store/data_folder.h"

namespace fs = std::filesystem;
using namespace arrange5;
using namespace arrange5::bench;

namespace {

struct Options {
    std::string tableFile;
    fs::path workFolder;
    bool keepWork = false;
};

Options parseOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--table=", 0) == 0) {
            o.tableFile = arg.substr(8);
        } else if (arg.rfind("--work=", 0) == 0) {
            o.workFolder = arg.substr(7);
            o.keepWork = true;
        } else {
            throw std::runtime_error("unknown option " + arg +
                                     " (besides Google Benchmark's: --table=FILE, --work=DIR)");
        }
    }
    if (o.workFolder.empty()) {
        o.workFolder = fs::temp_directory_path() /
                       ("arrange5-bench-" + std::to_string(std::random_device()()));
    }
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Options options;
    try {
        options = parseOptions(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "arrange5-bench: " << e.what() << "\n";
        return 2;
    }
    const std::optional<fs::path> bundled = findBundledHistory(executableFolder());
    if (!bundled) {
        std::cerr << "arrange5-bench: the bundled history " << kBundledHistoryName
                  << " is not beside the program\n";
        return 2;
    }
    fs::create_directories(options.workFolder);

    std::vector<std::unique_ptr<HistoryFixture>> fixtures;
    fixtures.push_back(std::make_unique<HistoryFixture>("real", options.workFolder, *bundled));
    fixtures.push_back(std::make_unique<HistoryFixture>("100k", options.workFolder,
                                                        [] { return generatedHistory(100'000); }));
    fixtures.push_back(std::make_unique<HistoryFixture>(
        "1m", options.workFolder, [] { return generatedHistory(1'000'000); }));
    const std::vector<MeasuredHistory> histories = {
        {fixtures[0].get(), 9, true}, {fixtures[1].get(), 3, true}, {fixtures[2].get(), 2, false}};

    BenchResults results;
    for (std::size_t i = 0; i < histories.size(); ++i) {
        registerMaintenanceBenchmarks(histories[i], results);
        registerSearchBenchmarks(histories[i], results);
#ifdef ARRANGE5_BENCH_WINDOW
        registerWindowBenchmarks(histories[i], results);
#endif
        // The next history starts only after this one's stores are closed and removed, so
        // a million-draw run never holds two histories' databases at once.
        HistoryFixture* done = histories[i].fixture;
        benchmark::RegisterBenchmark(("release/" + done->name()).c_str(),
                                     [done](benchmark::State& state) {
                                         for (auto _ : state) done->release();
                                     })
            ->Iterations(1);
    }

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
#ifdef ARRANGE5_BENCH_WINDOW
    shutDownWindowBenchmarks();
#endif
    fixtures.clear();

    int status = 0;
    if (!options.tableFile.empty()) {
        TableLayout layout;
        layout.histories = {"real", "100k", "1m"};
        layout.historyTitles = {"real (7,641)", "100,000", "1,000,000"};
        for (const SearchCase& c : searchCases()) {
            layout.searchSettings.push_back(c.name);
            layout.settingIsCombination.push_back(c.combination());
        }
        layout.command = "./bench.sh";
        std::ofstream out(options.tableFile, std::ios::trunc);
        writePerformanceTable(out, results, layout);
        if (!out) {
            std::cerr << "arrange5-bench: cannot write " << options.tableFile << "\n";
            status = 2;
        }
    }
    for (const auto& [key, m] : results.all()) {
        if (m.failed) {
            std::cerr << "arrange5-bench: " << key.operation << "/" << key.history << "/"
                      << key.setting << " failed: " << m.note << "\n";
            status = 1;
        }
    }
    if (!options.keepWork) {
        std::error_code ec;
        fs::remove_all(options.workFolder, ec);
    }
    return status;
}
