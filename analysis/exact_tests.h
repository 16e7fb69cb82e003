#pragma once

#include <cstdint>
#include <vector>

namespace arrange5 {

// Exact and resampling tests for small counts, where the χ² distribution is no fair
// approximation. Two-sided p-values sum the probabilities of every table or count at most
// as likely as the one observed (with a relative tolerance of 1e-7 for rounding), the rule
// most statistical software follows.

// Fisher's exact test of the 2 × 2 table [[a, b], [c, d]], two-sided.
double fisherExactTwoSided(int64_t a, int64_t b, int64_t c, int64_t d);

// The exact binomial test of `hits` successes in `n` trials against the rate p0, two-sided.
double binomialTwoSided(int64_t hits, int64_t n, double p0);

// The exact test of `hits` successes in independent trials of differing success rates (the
// Poisson-binomial distribution), two-sided by the same rule; 1 without trials.
double poissonBinomialTwoSided(int64_t hits, const std::vector<double>& rates);

// The exact McNemar test: of the pairs where exactly one of two methods succeeded, `onlyFirst`
// went to the first and `onlySecond` to the second; two-sided, 1 when there are none.
double mcnemarExact(int64_t onlyFirst, int64_t onlySecond);

// Pearson's χ² of a 2 × K table given as its two rows (columns with no count left out by the
// caller); 0 when a margin is empty.
double chiSquareOfRows(const std::vector<int64_t>& first, const std::vector<int64_t>& second);

// A permutation p of Pearson's χ² for a 2 × K table: random tables with the observed margins
// (the values reassigned to the two rows at random) are drawn until `enough` of them reach the
// observed χ² or `most` have been drawn, and p = (1 + reached) / (1 + drawn). Stopping after
// `enough` exceedances (Besag and Clifford's sequential test) keeps p valid and spends the
// draws only where p is small, which is where its resolution matters. The seed derives from
// the table, so the same table always gives the same p, on any platform.
struct PermutationP {
    double p = 1;
    int64_t drawn = 0;
    int64_t reached = 0;
};
PermutationP permutationChiSquareP(const std::vector<int64_t>& first,
                                   const std::vector<int64_t>& second, int64_t most,
                                   int64_t enough);

}  // namespace arrange5
