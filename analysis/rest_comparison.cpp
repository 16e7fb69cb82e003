#include "analysis/rest_comparison.h"

#include <algorithm>
#include <cmath>

#include "analysis/chance.h"
#include "analysis/exact_tests.h"

namespace arrange5 {

namespace {

std::string verdictOf(const PatternTest& t) {
    if (t.rank < 1) {
        return "命中各期的结果与其余各期比较：" + pValueText(*t.p) + "；" + kNotCounted +
               "，不作判断";
    }
    const std::string shown = studyRuleText(*t.p, t.rank);
    if (*t.pAdjusted < kSignificanceLevel) {
        return "命中各期的结果" + kDiffersFromRest + "（" + shown + "）；" + kPastOnly;
    }
    return "命中各期的结果与其余各期没有可靠的差别（" + shown + "）";
}

}  // namespace

int64_t permutationsFor(int rank) {
    const auto wanted =
        static_cast<int64_t>(std::ceil(kResolution / studyLevel(std::max(1, rank))));
    return std::clamp(wanted, kFewestPermutations, kMostPermutations);
}

PatternTest testAgainstRest(const std::vector<int64_t>& hits, const std::vector<int64_t>& rest,
                            const StudyPlace& place) {
    PatternTest t;
    t.rank = place.rank;
    t.searches = place.searches;
    const StudyJudgement unjudged = judge(std::nullopt, place);
    t.level = unjudged.level;
    std::vector<int64_t> a;
    std::vector<int64_t> b;
    int64_t rowA = 0;
    int64_t rowB = 0;
    for (std::size_t j = 0; j < hits.size() && j < rest.size(); ++j) {
        if (hits[j] + rest[j] == 0) continue;
        a.push_back(hits[j]);
        b.push_back(rest[j]);
        rowA += hits[j];
        rowB += rest[j];
    }
    const auto k = static_cast<int>(a.size());
    t.method = "chi2";
    // Nothing to compare: such a search is not counted, and the verdict says so.
    if (rowA == 0) {
        t.verdict = "没有命中，无从与其余各期比较；" + kNotCounted;
        return t;
    }
    if (rowB == 0) {
        t.verdict = "范围内没有其余各期，无从比较；" + kNotCounted;
        return t;
    }
    if (k < 2) {
        t.verdict = "命中与其余各期都只有同一个结果，无从比较";
        return t;
    }
    t.df = k - 1;
    t.chi2 = chiSquareOfRows(a, b);
    const double n = static_cast<double>(rowA + rowB);
    int smallHits = 0;
    bool smallAny = false;
    for (int j = 0; j < k; ++j) {
        const double column = static_cast<double>(a[j] + b[j]);
        const double expectedA = static_cast<double>(rowA) * column / n;
        const double expectedB = static_cast<double>(rowB) * column / n;
        if (expectedA < kMinExpectedCount) ++smallHits;
        if (expectedA < kMinExpectedCount || expectedB < kMinExpectedCount) smallAny = true;
    }
    const auto permutationP = [&] {
        t.method = "monte-carlo";
        return permutationChiSquareP(a, b, permutationsFor(place.rank), kEnoughExceedances).p;
    };
    if (k == 2 && smallAny) {
        t.method = "fisher";
        t.p = fisherExactTwoSided(a[0], a[1], b[0], b[1]);
    } else if (k > 2 && smallHits * 5 > k) {
        t.p = permutationP();
    } else {
        t.p = chiSquarePValue(*t.chi2, t.df);
        if (t.p && *t.p < kSignificanceLevel) {
            if (k == 2) {
                t.method = "fisher";
                t.p = fisherExactTwoSided(a[0], a[1], b[0], b[1]);
            } else {
                t.p = permutationP();
            }
        }
    }
    if (!t.p) {
        t.verdict = kTooFewVerdict;
        return t;
    }
    t.pAdjusted = judge(t.p, place).pAdjusted;
    t.verdict = verdictOf(t);
    return t;
}

bool comparesWithRest(const SearchResult& result) {
    int64_t hits = 0;
    int64_t rest = 0;
    for (const TallyRow& row : result.tally) {
        hits += row.count;
        rest += row.restCount;
    }
    return hits > 0 && rest > 0;
}

PatternTest testAgainstRest(const SearchResult& result, const StudyPlace& place) {
    // In outcome order, so that the table does not depend on the tally's ranking.
    std::vector<TallyRow> rows = result.tally;
    std::sort(rows.begin(), rows.end(),
              [](const TallyRow& x, const TallyRow& y) { return x.value < y.value; });
    std::vector<int64_t> hits;
    std::vector<int64_t> rest;
    for (const TallyRow& row : rows) {
        hits.push_back(row.count);
        rest.push_back(row.restCount);
    }
    return testAgainstRest(hits, rest, place);
}

std::string patternMethodText(const PatternTest& test) {
    if (!test.p) return {};
    if (test.method == "fisher") return "Fisher 精确检验";
    if (test.method == "monte-carlo") return "置换检验";
    return "χ² 检验";
}

}  // namespace arrange5
