#include "bench/generated_history.h"

#include <random>

namespace arrange5::bench {

std::vector<HistoryEntry> generatedHistory(std::size_t count, uint32_t seed) {
    std::mt19937 engine(seed);
    std::vector<HistoryEntry> entries;
    entries.reserve(count);
    int32_t issue = 2004001;
    for (std::size_t n = 0; n < count; ++n) {
        HistoryEntry e;
        e.issue = issue;
        // Five digits from one 32-bit draw: below 4,294,900,000 every digit is uniform.
        uint32_t bits = 0;
        do {
            bits = engine();
        } while (bits >= 4294900000u);
        for (int i = 0; i < 5; ++i) {
            e.digits[i] = static_cast<int16_t>(bits % 10);
            bits /= 10;
        }
        entries.push_back(e);
        issue = nextIssueForDisplay(issue);
    }
    return entries;
}

}  // namespace arrange5::bench
