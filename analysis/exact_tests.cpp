#include "analysis/exact_tests.h"

#include <algorithm>
#include <boost/math/distributions/binomial.hpp>
#include <cmath>
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
    // The hypergeometric probabilities relative to the most likely table, each from its
    // neighbour by the ratio of successive terms: linear in the range, where boost's pdf,
    // called once per table, took seconds on tables of thousands of draws.
    const int64_t low = std::max<int64_t>(0, row + column - n);
    const int64_t high = std::min(row, column);
    const int64_t mode = std::clamp((row + 1) * (column + 1) / (n + 2), low, high);
    const int64_t others = n - row - column;
    std::vector<double> weight(static_cast<std::size_t>(high - low + 1), 0.0);
    const auto at = [&](int64_t x) -> double& { return weight[static_cast<std::size_t>(x - low)]; };
    at(mode) = 1;
    for (int64_t x = mode; x < high; ++x) {
        at(x + 1) = at(x) * static_cast<double>((row - x) * (column - x)) /
                    static_cast<double>((x + 1) * (others + x + 1));
    }
    for (int64_t x = mode; x > low; --x) {
        at(x - 1) = at(x) * static_cast<double>(x * (others + x)) /
                    static_cast<double>((row - x + 1) * (column - x + 1));
    }
    double total = 0;
    for (const double w : weight) total += w;
    const auto pmf = [&](int64_t x) { return at(x) / total; };
    return sumNotMoreLikely(pmf, a, low, high);
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

namespace {

// The table's counts folded into one number (FNV-1a), the seed of its permutations.
uint32_t seedOf(const std::vector<int64_t>& first, const std::vector<int64_t>& second) {
    uint64_t hash = 14695981039346656037ull;
    for (const auto* row : {&first, &second}) {
        for (const int64_t value : *row) {
            hash ^= static_cast<uint64_t>(value);
            hash *= 1099511628211ull;
        }
        hash ^= 0xff;  // where one row ends
        hash *= 1099511628211ull;
    }
    return static_cast<uint32_t>(hash ^ (hash >> 32));
}

// Draws from hypergeometric distributions: how many of `draws` values taken at random from
// `pool` values fall among the `marked` ones. Exact inversion, searching outwards from the
// most likely count, so a draw costs about two standard deviations of steps however large
// the pool; shuffling value by value cost a pass over the smaller row per table.
class HypergeometricDraws {
  public:
    explicit HypergeometricDraws(int64_t largestPool)
        : logFactorial_(static_cast<std::size_t>(largestPool) + 1, 0.0) {
        for (std::size_t i = 2; i < logFactorial_.size(); ++i) {
            logFactorial_[i] = logFactorial_[i - 1] + std::log(static_cast<double>(i));
        }
    }

    int64_t draw(std::mt19937& generator, int64_t marked, int64_t pool, int64_t draws) const {
        const int64_t others = pool - marked;
        const int64_t low = std::max<int64_t>(0, draws - others);
        const int64_t high = std::min(marked, draws);
        if (low == high) return low;
        const int64_t mode = std::clamp((draws + 1) * (marked + 1) / (pool + 2), low, high);
        const auto lf = [this](int64_t x) { return logFactorial_[static_cast<std::size_t>(x)]; };
        const double atMode =
            std::exp(lf(marked) - lf(mode) - lf(marked - mode) + lf(others) - lf(draws - mode) -
                     lf(others - draws + mode) - lf(pool) + lf(draws) + lf(pool - draws));
        // 53 random bits: a uniform u in [0, 1).
        const uint64_t high32 = generator();
        const uint64_t bits = (high32 << 21) ^ (static_cast<uint64_t>(generator()) >> 11);
        double u = static_cast<double>(bits) * 0x1.0p-53 - atMode;
        if (u < 0) return mode;
        int64_t down = mode;
        int64_t up = mode;
        double pDown = atMode;
        double pUp = atMode;
        while (down > low || up < high) {
            if (up < high) {
                pUp *= static_cast<double>((marked - up) * (draws - up)) /
                       static_cast<double>((up + 1) * (others - draws + up + 1));
                ++up;
                u -= pUp;
                if (u < 0) return up;
            }
            if (down > low) {
                pDown *= static_cast<double>(down * (others - draws + down)) /
                         static_cast<double>((marked - down + 1) * (draws - down + 1));
                --down;
                u -= pDown;
                if (u < 0) return down;
            }
        }
        return mode;  // u left over by rounding alone
    }

  private:
    std::vector<double> logFactorial_;
};

}  // namespace

PermutationP permutationChiSquareP(const std::vector<int64_t>& first,
                                   const std::vector<int64_t>& second, int64_t most,
                                   int64_t enough) {
    const std::size_t k = first.size();
    std::vector<int64_t> columns(k);
    std::vector<double> inverseColumns(k, 0.0);
    int64_t drawn = 0;
    int64_t n = 0;
    for (std::size_t j = 0; j < k; ++j) {
        columns[j] = first[j] + second[j];
        if (columns[j] > 0) inverseColumns[j] = 1.0 / static_cast<double>(columns[j]);
        drawn += first[j];
        n += columns[j];
    }
    // With both margins fixed, χ² rises and falls with Σ x_j² / column_j of the first row, so
    // that sum stands in for χ² and saves recomputing the expected counts.
    const auto statistic = [&](const std::vector<int64_t>& row) {
        double sum = 0;
        for (std::size_t j = 0; j < k; ++j) {
            const auto x = static_cast<double>(row[j]);
            sum += x * x * inverseColumns[j];
        }
        return sum;
    };
    // Distinct tables differ in that sum by far more than its rounding, so a tight tolerance
    // catches the ties without counting near misses.
    const double reaching = statistic(first) * (1 - 1e-10);

    const HypergeometricDraws hypergeometric(n);
    std::mt19937 generator(seedOf(first, second));
    std::vector<int64_t> a(k);
    PermutationP result;
    while (result.drawn < most && result.reached < enough) {
        // A random table with the observed margins, column by column: of the values still to
        // place, each column takes its share of the first row's remaining draws.
        int64_t pool = n;
        int64_t draws = drawn;
        for (std::size_t j = 0; j < k; ++j) {
            a[j] = hypergeometric.draw(generator, columns[j], pool, draws);
            pool -= columns[j];
            draws -= a[j];
        }
        ++result.drawn;
        if (statistic(a) >= reaching) ++result.reached;
    }
    result.p = static_cast<double>(1 + result.reached) / static_cast<double>(1 + result.drawn);
    return result;
}

}  // namespace arrange5
