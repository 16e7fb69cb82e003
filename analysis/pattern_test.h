#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/search.h"

namespace arrange5 {

// Do the draws that followed the pattern differ from the other draws of the range that
// could have followed it? The 2 × K table of outcome counts, hits against the rest, with
// outcomes that occur in neither row left out.
struct PatternTest {
    std::string method;  // "chi2", "fisher" or "monte-carlo"
    double chi2 = 0;
    int df = 0;
    std::optional<double> p;  // none: nothing to test (no hits, no rest, one outcome)
    int searches = 1;         // N: distinct settings of this study, this one included
    std::optional<double> pAdjusted;
    std::string verdict;
};

// The resampling behind "monte-carlo".
inline constexpr int kPermutations = 20000;

inline const std::string kDiffersFromRest = "与其余各期不同";

// Pearson's χ² (no continuity correction) with df = K − 1; Fisher's exact test when K = 2
// and an expected count is below 5; a permutation p when K > 2 and more than a fifth of the
// expected hit counts are below 5. The verdict calls the pattern different only when
// min(1, N × p) < 0.05.
PatternTest testAgainstRest(const std::vector<int64_t>& hits, const std::vector<int64_t>& rest,
                            int searches);

PatternTest testAgainstRest(const SearchResult& result, int searches);

}  // namespace arrange5
