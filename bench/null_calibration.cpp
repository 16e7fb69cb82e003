// arrange5-null-calibration [HISTORIES] [SETTINGS] [HISTORY FILE]
// How often the pattern test calls a pattern different when nothing follows any pattern:
// on fair generated histories (independent uniform digits) every setting is a null
// setting, so an honest test at 0.05 says 偏离 about 5 % of the time. Prints the share of
// p-values below 0.05, overall and by method, with a 95 % interval, as markdown for
// docs/performance.md. With a history file, the same random settings are also run on that
// history, where the draws are real: the chance test then also answers for the uneven
// digits of the whole history, the pattern test does not. A measurement, not a test.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>

#include "analysis/chance.h"
#include "analysis/memory_search.h"
#include "analysis/rest_comparison.h"
#include "bench/generated_history.h"

namespace {

using namespace arrange5;

struct Share {
    int64_t below = 0;
    int64_t tested = 0;

    void add(double p) {
        ++tested;
        if (p < kSignificanceLevel) ++below;
    }
    std::string text() const {
        if (tested == 0) return "–";
        const Interval i = wilsonInterval(below, tested);
        char buffer[96];
        std::snprintf(buffer, sizeof buffer, "%.2f %% (%lld of %lld; 95 %% interval %.2f–%.2f %%)",
                      100.0 * static_cast<double>(below) / static_cast<double>(tested),
                      static_cast<long long>(below), static_cast<long long>(tested), 100 * i.low,
                      100 * i.high);
        return buffer;
    }
};

int between(std::mt19937& engine, int low, int high) {
    // Modulo bias is immaterial for ranges this small against 2^32.
    return low + static_cast<int>(engine() % static_cast<uint32_t>(high - low + 1));
}

// A random setting of the window: kind, matching, lag, ticked positions or k, a reference
// taken from a draw of the history, and the tally settings.
SearchRequest randomRequest(std::mt19937& engine, const HistorySnapshot& rows, SearchShape& shape) {
    SearchRequest r;
    r.settings.kind = static_cast<CodeKind>(between(engine, 0, 3));
    r.settings.freePositions = between(engine, 0, 1) == 1;
    r.settings.previousIssue = between(engine, 0, 2) != 0;
    r.settings.lagN = between(engine, 1, 9);
    const auto& source =
        rows[static_cast<std::size_t>(between(engine, 0, static_cast<int>(rows.size()) - 1))];
    r.reference = source.codes[static_cast<std::size_t>(r.settings.kind)];
    if (between(engine, 0, 3) == 0) {
        shape = SearchShape::combined(between(engine, 2, 4));
    } else {
        std::array<bool, 5> ticked{};
        const int count = between(engine, 1, 3);
        for (int i = 0; i < count; ++i)
            ticked[static_cast<std::size_t>(between(engine, 0, 4))] = true;
        shape = SearchShape::single(ticked);
    }
    r.positions = shape.positions;
    r.from = rows.front().issue;
    r.to = rows.back().issue;
    r.tally.resultKind = static_cast<CodeKind>(between(engine, 0, 3));
    r.tally.resultPosition = between(engine, 1, 5);
    r.tally.group = between(engine, 0, 3) == 0;
    r.tally.segmentBase = 1;
    return r;
}

struct Shares {
    Share pattern;
    Share chance;
    std::map<std::string, Share> byMethod;
    int64_t untested = 0;

    void run(std::mt19937& engine, const HistorySnapshot& rows, int settings) {
        for (int s = 0; s < settings; ++s) {
            SearchShape shape;
            const SearchRequest request = randomRequest(engine, rows, shape);
            const SearchResult result = memorySearch(rows, request, shape);
            const PatternTest t = testAgainstRest(result, {1, 1});
            if (!t.p) {
                ++untested;
                continue;
            }
            pattern.add(*t.p);
            byMethod[t.method].add(*t.p);
            const ChanceTest c = testAgainstChance(result, request.tally.resultKind, {1, 1});
            if (c.p) chance.add(*c.p);
        }
    }

    void print(const std::string& title) const {
        std::printf("| %s | |\n|---|---|\n", title.c_str());
        std::printf("| pattern_test p < 0.05 | %s |\n", pattern.text().c_str());
        for (const auto& [method, share] : byMethod) {
            std::printf("| … method %s | %s |\n", method.c_str(), share.text().c_str());
        }
        std::printf("| chance test p < 0.05 (same searches) | %s |\n", chance.text().c_str());
        std::printf("| settings with nothing to test (no hits) | %lld |\n\n",
                    static_cast<long long>(untested));
    }
};

}  // namespace

int main(int argc, char** argv) {
    const int histories = argc > 1 ? std::atoi(argv[1]) : 100;
    const int settings = argc > 2 ? std::atoi(argv[2]) : 100;
    constexpr std::size_t kDraws = 2000;
    std::mt19937 engine(20261209);
    Shares fair;
    for (int h = 0; h < histories; ++h) {
        HistorySnapshot rows;
        for (const HistoryEntry& e :
             bench::generatedHistory(kDraws, 1000u + static_cast<uint32_t>(h))) {
            rows.push_back({e.issue, deriveCodes(e.digits, 1)});
        }
        fair.run(engine, rows, settings);
    }
    fair.print(std::to_string(histories) + " fair histories of " + std::to_string(kDraws) +
               " draws × " + std::to_string(settings) + " random settings");
    if (argc > 3) {
        HistorySnapshot rows;
        for (const HistoryEntry& e : readHistoryFile(argv[3]).entries) {
            rows.push_back({e.issue, deriveCodes(e.digits, 1)});
        }
        Shares real;
        real.run(engine, rows, histories * settings);
        real.print("the history " + std::string(argv[3]) + " × " +
                   std::to_string(histories * settings) + " random settings");
    }
    return 0;
}
