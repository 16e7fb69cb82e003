#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/search.h"
#include "analysis/study_rule.h"

namespace arrange5 {

// Do the draws that followed the pattern differ from the other draws of the range that
// could have followed it? The 2 × K table of outcome counts, hits against the rest, with
// outcomes that occur in neither row left out.
struct PatternTest {
    std::string method;          // "chi2", "fisher" or "monte-carlo"
    std::optional<double> chi2;  // none: nothing compared (no hits, no rest, one outcome)
    int df = 0;
    std::optional<double> p;          // none: nothing to test (no hits, no rest, one outcome)
    int rank = 0;                     // the setting's place in the study; 0: not counted
    int searches = 0;                 // the study's distinct settings so far
    std::optional<double> level;      // 0.05 / (k (k + 1)) when counted
    std::optional<double> pAdjusted;  // min(1, k (k + 1) p) when counted and tested
    std::string verdict;
};

// The resampling behind "monte-carlo": it stops once this many random tables have reached the
// observed χ² (p is then plainly above any level a verdict is judged at) ...
inline constexpr int64_t kEnoughExceedances = 50;
// ... or after kResolution / level tables (between the two bounds), so that the smallest p it
// can give, 1 / (1 + tables), lies well below the level of the setting's rank. Beyond the
// upper bound (ranks past about 45) the resolution thins but p stays valid.
inline constexpr double kResolution = 20;
inline constexpr int64_t kFewestPermutations = 20000;
inline constexpr int64_t kMostPermutations = 1000000;

// The cap on random tables for a setting of this rank (rank 0, not counted: as rank 1).
int64_t permutationsFor(int rank);

inline const std::string kDiffersFromRest = "与其余各期不同";

// Pearson's χ² (no continuity correction) with df = K − 1; Fisher's exact test when K = 2
// and an expected count is below 5; a permutation p when K > 2 and more than a fifth of the
// expected hit counts are below 5. The χ² distribution is a poor guide to the far tail that
// late ranks are judged in (sparse outcomes, one degree of freedom), so a χ² p below 0.05,
// which could decide a verdict at some rank, is replaced by an exact one: Fisher's for K = 2,
// the permutation p otherwise. The verdict calls the pattern different only when the setting
// was counted in the study and its adjusted p is below 0.05.
PatternTest testAgainstRest(const std::vector<int64_t>& hits, const std::vector<int64_t>& rest,
                            const StudyPlace& place);

PatternTest testAgainstRest(const SearchResult& result, const StudyPlace& place);

// Whether a search leaves anything to compare: hits, and rows of the range that are not
// hits. A search without them tests nothing and is not counted in the study.
bool comparesWithRest(const SearchResult& result);

// The method as a reader names it: "χ² 检验", "Fisher 精确检验", "置换检验"; empty when
// nothing was tested.
std::string patternMethodText(const PatternTest& test);

}  // namespace arrange5
