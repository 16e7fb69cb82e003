#include "analysis/exact_tests.h"

#include <algorithm>
#include <boost/math/distributions/binomial.hpp>
#include <boost/math/distributions/hypergeometric.hpp>
#include <random>

namespace arrange5 {

namespace {

// Probabilities within this relative distance of the observed one count as equally likely.
constexpr double kRelativeTolerance = 1e-7;

// The sum of pmf(x) over x in [low, high] with pmf(x) at most the observed probability.
template <typename Pmf>
double sumNotMoreLikely(Pmf pmf, int64_t observed, int64_t low, int64_t high) {
    const double limit = pmf(observed) * (1 + kRelativeTolerance);
    double p = 0;
    for (int64_t x = low; x <= high; ++x) {
        const double px = pmf(x);
        if (px <= limit) p += px;
    }
    return std::min(1.0, p);
}

}  // namespace

double fisherExactTwoSided(int64_t a, int64_t b, int64_t c, int64_t d) {
    const int64_t row = a + b;
    const int64_t column = a + c;
    const int64_t n = a + b + c + d;
    if (row == 0 || column == 0 || row == n || column == n) return 1.0;
    const boost::math::hypergeometric_distribution<double> dist(
        static_cast<unsigned>(column), static_cast<unsigned>(row), static_cast<unsigned>(n));
    const auto pmf = [&](int64_t x) { return boost::math::pdf(dist, static_cast<unsigned>(x)); };
    return sumNotMoreLikely(pmf, a, std::max<int64_t>(0, row + column - n), std::min(row, column));
}

double binomialTwoSided(int64_t hits, int64_t n, double p0) {
    if (n <= 0) return 1.0;
    const boost::math::binomial_distribution<double> dist(static_cast<double>(n), p0);
    const auto pmf = [&](int64_t x) { return boost::math::pdf(dist, static_cast<double>(x)); };
    return sumNotMoreLikely(pmf, hits, 0, n);
}

double poissonBinomialTwoSided(int64_t hits, const std::vector<double>& rates) {
    if (rates.empty()) return 1.0;
    // pmf[k] after each trial: the chance of k successes so far.
    std::vector<double> pmf(rates.size() + 1, 0.0);
    pmf[0] = 1.0;
    for (std::size_t i = 0; i < rates.size(); ++i) {
        const double r = rates[i];
        for (std::size_t k = i + 1; k > 0; --k) pmf[k] = pmf[k] * (1 - r) + pmf[k - 1] * r;
        pmf[0] *= 1 - r;
    }
    const auto at = [&pmf](int64_t x) { return pmf[static_cast<std::size_t>(x)]; };
    return sumNotMoreLikely(at, hits, 0, static_cast<int64_t>(rates.size()));
}

double mcnemarExact(int64_t onlyFirst, int64_t onlySecond) {
    const int64_t n = onlyFirst + onlySecond;
    if (n == 0) return 1.0;
    const boost::math::binomial_distribution<double> dist(static_cast<double>(n), 0.5);
    const double tail =
        boost::math::cdf(dist, static_cast<double>(std::min(onlyFirst, onlySecond)));
    return std::min(1.0, 2 * tail);
}

double chiSquareOfRows(const std::vector<int64_t>& first, const std::vector<int64_t>& second) {
    double rowA = 0;
    double rowB = 0;
    for (std::size_t j = 0; j < first.size(); ++j) {
        rowA += static_cast<double>(first[j]);
        rowB += static_cast<double>(second[j]);
    }
    const double n = rowA + rowB;
    if (rowA == 0 || rowB == 0) return 0;
    double chi2 = 0;
    for (std::size_t j = 0; j < first.size(); ++j) {
        const double column = static_cast<double>(first[j] + second[j]);
        if (column == 0) continue;
        const double expectedA = rowA * column / n;
        const double expectedB = rowB * column / n;
        const double da = static_cast<double>(first[j]) - expectedA;
        const double db = static_cast<double>(second[j]) - expectedB;
        chi2 += da * da / expectedA + db * db / expectedB;
    }
    return chi2;
}

double permutationChiSquareP(const std::vector<int64_t>& first, const std::vector<int64_t>& second,
                             int permutations) {
    const std::size_t k = first.size();
    std::vector<int64_t> columns(k);
    std::vector<int> pool;  // one entry per value, naming its column
    int64_t drawn = 0;
    for (std::size_t j = 0; j < k; ++j) {
        columns[j] = first[j] + second[j];
        drawn += first[j];
        pool.insert(pool.end(), static_cast<std::size_t>(columns[j]), static_cast<int>(j));
    }
    const double observed = chiSquareOfRows(first, second);
    // Draw whichever row is smaller; the other row is what remains of each column.
    const auto n = static_cast<int64_t>(pool.size());
    const bool drawFirst = drawn * 2 <= n;
    const int64_t draws = drawFirst ? drawn : n - drawn;

    std::mt19937_64 generator(20240527);
    std::vector<int64_t> a(k);
    std::vector<int64_t> b(k);
    int64_t reached = 0;
    for (int round = 0; round < permutations; ++round) {
        std::fill(a.begin(), a.end(), 0);
        // A partial Fisher–Yates shuffle: the first `draws` entries are a uniform sample.
        for (int64_t i = 0; i < draws; ++i) {
            std::uniform_int_distribution<int64_t> pick(i, n - 1);
            std::swap(pool[static_cast<std::size_t>(i)],
                      pool[static_cast<std::size_t>(pick(generator))]);
            ++a[static_cast<std::size_t>(pool[static_cast<std::size_t>(i)])];
        }
        for (std::size_t j = 0; j < k; ++j) b[j] = columns[j] - a[j];
        const double chi2 = drawFirst ? chiSquareOfRows(a, b) : chiSquareOfRows(b, a);
        if (chi2 >= observed * (1 - kRelativeTolerance)) ++reached;
    }
    return static_cast<double>(1 + reached) / static_cast<double>(1 + permutations);
}

}  // namespace arrange5
