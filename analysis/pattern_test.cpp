#include "analysis/pattern_test.h"

#include <algorithm>

#include "analysis/chance.h"
#include "analysis/exact_tests.h"

namespace arrange5 {

namespace {

std::string verdictOf(const PatternTest& t) {
    const std::string shown = pValueText(*t.p) + "，" + correctionText(t.searches, *t.pAdjusted);
    if (*t.pAdjusted < kSignificanceLevel) {
        return "命中各期的结果" + kDiffersFromRest + "（" + shown +
               "）；这说的是过去，不预示下一期";
    }
    return "命中各期的结果与其余各期没有可靠的差别（" + shown + "）";
}

}  // namespace

PatternTest testAgainstRest(const std::vector<int64_t>& hits, const std::vector<int64_t>& rest,
                            int searches) {
    PatternTest t;
    t.searches = std::max(1, searches);
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
    t.df = std::max(0, k - 1);
    if (rowA == 0) {
        t.verdict = "没有命中，无从与其余各期比较";
        return t;
    }
    if (rowB == 0) {
        t.verdict = "范围内没有其余各期，无从比较";
        return t;
    }
    if (k < 2) {
        t.verdict = "命中与其余各期都只有同一个结果，无从比较";
        return t;
    }
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
    if (k == 2 && smallAny) {
        t.method = "fisher";
        t.p = fisherExactTwoSided(a[0], a[1], b[0], b[1]);
    } else if (k > 2 && smallHits * 5 > k) {
        t.method = "monte-carlo";
        t.p = permutationChiSquareP(a, b, kPermutations);
    } else {
        t.p = chiSquarePValue(t.chi2, t.df);
    }
    if (!t.p) {
        t.verdict = kTooFewVerdict;
        return t;
    }
    t.pAdjusted = adjustedP(*t.p, t.searches);
    t.verdict = verdictOf(t);
    return t;
}

PatternTest testAgainstRest(const SearchResult& result, int searches) {
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
    return testAgainstRest(hits, rest, searches);
}

}  // namespace arrange5
