#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "bench/bench_results.h"

namespace arrange5::bench {

// What the table needs beside the samples: the histories in column order with their sizes,
// and the search settings in row order.
struct TableLayout {
    std::vector<std::string> histories;  // "real", "100k", "1m"
    std::vector<std::string> historyTitles;
    std::vector<std::string> searchSettings;
    std::vector<bool> settingIsCombination;
    std::string command;
};

// The markdown report: machine and date, the targets with their verdicts, the growth
// between the two generated histories and every search setting with its floors.
void writePerformanceTable(std::ostream& out, const BenchResults& results,
                           const TableLayout& layout);

// "CPU model, N cores, M GiB, Linux x.y" of the machine the run is on.
std::string describeMachine();

}  // namespace arrange5::bench
