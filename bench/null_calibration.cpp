// arrange5-null-calibration [HISTORIES] [SETTINGS] [HISTORY FILE] [STUDIES]
// How often the pattern test calls a pattern different when nothing follows any pattern:
// on fair generated histories (independent uniform digits) every setting is a null
// setting, so an honest test at 0.05 says 偏离 about 5 % of the time. Prints the share of
// p-values below 0.05, overall and by method, with a 95 % interval, as markdown for
// docs/performance.md. With a history file (not "-"), the same random settings are also run on that
// history, where the draws are real: the chance test then also answers for the uneven
// digits of the whole history, the pattern test does not. Last, 200 fair studies of 20
// settings each, ranked by the study log and judged by the study's rule: the share of studies
// with any "different" verdict. A measurement, not a test.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "analysis/chance.h"
#include "analysis/memory_search.h"
#include "analysis/rest_comparison.h"
#include "analysis/study_log.h"
#include "analysis/study_setting.h"
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

// Whole studies on fair histories: each a new study of `settings` random settings, counted and
// ranked by the program's own study log, every test judged at its setting's share. The rule
// promises that the share of studies with any "different" verdict of one kind stays under 5 %
// however many settings a study holds.
struct StudyRates {
    Share pattern;  // a study with at least one 命中各期的结果与其余各期不同
    Share chance;   // … with at least one 过去的统计与均匀随机有差别
    Share either;
    int64_t uncounted = 0;  // searches that compared nothing, not counted
    // The pattern test's far tail, which late ranks are judged in: the shares of its p-values
    // below 0.0025 and 0.001 over all the studies' tests (nominally 0.25 % and 0.1 %).
    int64_t tests = 0;
    int64_t below25 = 0;
    int64_t below10 = 0;

    void run(std::mt19937& engine, const HistorySnapshot& rows, int settings) {
        char folder[] = "/tmp/arrange5-study-XXXXXX";
        if (!::mkdtemp(folder)) {
            std::perror("mkdtemp");
            std::exit(2);
        }
        StudyLog study{std::filesystem::path(folder)};
        bool patternSaid = false;
        bool chanceSaid = false;
        for (int s = 0; s < settings; ++s) {
            SearchShape shape;
            const SearchRequest request = randomRequest(engine, rows, shape);
            const SearchResult result = memorySearch(rows, request, shape);
            if (!comparesWithRest(result)) {
                ++uncounted;
                continue;
            }
            const StudyPlace place = study.record(searchStudySetting(rows, request, shape));
            const PatternTest pattern = testAgainstRest(result, place);
            if (pattern.p) {
                ++tests;
                below25 += *pattern.p < 0.0025 ? 1 : 0;
                below10 += *pattern.p < 0.001 ? 1 : 0;
            }
            patternSaid = patternSaid || judge(pattern.p, place).reliable();
            chanceSaid = chanceSaid ||
                         judge(testAgainstChance(result, request.tally.resultKind, place).p, place)
                             .reliable();
        }
        std::filesystem::remove_all(folder);
        // Share::add counts a study as "below" when given 0.
        pattern.add(patternSaid ? 0 : 1);
        chance.add(chanceSaid ? 0 : 1);
        either.add(patternSaid || chanceSaid ? 0 : 1);
    }

    void print(const std::string& title) const {
        std::printf("| %s | |\n|---|---|\n", title.c_str());
        std::printf("| studies with a pattern_test \"不同\" | %s |\n", pattern.text().c_str());
        std::printf("| studies with a chance test \"有差别\" | %s |\n", chance.text().c_str());
        std::printf("| studies with either | %s |\n", either.text().c_str());
        std::printf("| searches that compared nothing (not counted) | %lld |\n",
                    static_cast<long long>(uncounted));
        std::printf("| pattern tests with p < 0.0025 / p < 0.001 | %.3f %% / %.3f %% of %lld |\n\n",
                    100.0 * static_cast<double>(below25) / static_cast<double>(tests),
                    100.0 * static_cast<double>(below10) / static_cast<double>(tests),
                    static_cast<long long>(tests));
    }
};

HistorySnapshot fairHistory(std::size_t draws, uint32_t seed) {
    HistorySnapshot rows;
    for (const HistoryEntry& e : bench::generatedHistory(draws, seed)) {
        rows.push_back({e.issue, deriveCodes(e.digits, 1)});
    }
    return rows;
}

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
    if (argc > 3 && std::string(argv[3]) != "-") {
        HistorySnapshot rows;
        for (const HistoryEntry& e : readHistoryFile(argv[3]).entries) {
            rows.push_back({e.issue, deriveCodes(e.digits, 1)});
        }
        Shares real;
        real.run(engine, rows, histories * settings);
        real.print("the history " + std::string(argv[3]) + " × " +
                   std::to_string(histories * settings) + " random settings");
    }

    // Studies: their own seeds, so that the figures above stay as they were.
    const int kStudies = argc > 4 ? std::atoi(argv[4]) : 200;
    constexpr int kStudySettings = 20;
    std::mt19937 studyEngine(20261210);
    StudyRates studies;
    for (int h = 0; h < kStudies; ++h) {
        studies.run(studyEngine, fairHistory(kDraws, 5000u + static_cast<uint32_t>(h)),
                    kStudySettings);
    }
    studies.print(std::to_string(kStudies) + " fair studies of " + std::to_string(kStudySettings) +
                  " settings, each on its own history of " + std::to_string(kDraws) + " draws");
    return 0;
}
