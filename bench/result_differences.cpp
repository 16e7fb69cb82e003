#include "bench/result_differences.h"

namespace arrange5::bench {

std::string differences(const SearchResult& expected, const SearchResult& actual) {
    if (expected.hits.size() != actual.hits.size()) {
        return std::to_string(actual.hits.size()) + " hits instead of " +
               std::to_string(expected.hits.size());
    }
    for (std::size_t i = 0; i < expected.hits.size(); ++i) {
        const Hit& e = expected.hits[i];
        const Hit& a = actual.hits[i];
        if (e.issue != a.issue || e.values != a.values || e.matched != a.matched) {
            return "hit " + std::to_string(i + 1) + " is issue " + std::to_string(a.issue) +
                   " matched " + a.matched + " instead of issue " + std::to_string(e.issue) +
                   " matched " + e.matched;
        }
    }
    if (expected.total != actual.total) {
        return "total " + std::to_string(actual.total) + " instead of " +
               std::to_string(expected.total);
    }
    if (expected.tally.size() != actual.tally.size()) {
        return std::to_string(actual.tally.size()) + " tally rows instead of " +
               std::to_string(expected.tally.size());
    }
    for (std::size_t i = 0; i < expected.tally.size(); ++i) {
        const TallyRow& e = expected.tally[i];
        const TallyRow& a = actual.tally[i];
        if (e.value != a.value || e.count != a.count || e.percent != a.percent) {
            return "tally row " + std::to_string(i + 1) + " is " + a.outcome + " × " +
                   std::to_string(a.count) + " (" + a.percent + ") instead of " + e.outcome +
                   " × " + std::to_string(e.count) + " (" + e.percent + ")";
        }
    }
    return {};
}

}  // namespace arrange5::bench
