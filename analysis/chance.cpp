#include "analysis/chance.h"

#include <algorithm>
#include <boost/math/distributions/binomial.hpp>
#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/special_functions/beta.hpp>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <string>

namespace arrange5 {

double chanceRate(CodeKind kind) {
    switch (kind) {
        case CodeKind::Number:
            return 0.1;
        case CodeKind::BigSmall:
        case CodeKind::OddEven:
            return 0.5;
        case CodeKind::Segment:
            return 0.2;
    }
    return 0.1;
}

Interval wilsonInterval(int64_t count, int64_t total, double z) {
    if (total <= 0) return {0.0, 1.0};
    const double n = static_cast<double>(total);
    const double share = static_cast<double>(count) / n;
    const double z2 = z * z;
    const double centre = (share + z2 / (2 * n)) / (1 + z2 / n);
    const double half = z / (1 + z2 / n) * std::sqrt(share * (1 - share) / n + z2 / (4 * n * n));
    // Rounding must not push the bounds outside the range a share can take.
    return {std::max(0.0, centre - half), std::min(1.0, centre + half)};
}

Interval clopperPearsonInterval(int64_t count, int64_t total, double alpha) {
    if (total <= 0) return {0.0, 1.0};
    const auto n = static_cast<double>(total);
    const auto x = static_cast<double>(std::clamp<int64_t>(count, 0, total));
    // The bounds are beta quantiles; at the ends of the range they are exactly 0 and 1.
    Interval i;
    i.low = x == 0 ? 0.0 : boost::math::ibeta_inv(x, n - x + 1, alpha / 2);
    i.high = x == n ? 1.0 : boost::math::ibeta_inv(x + 1, n - x, 1 - alpha / 2);
    return i;
}

double binomialUpperTail(int64_t hits, int64_t n, double p0) {
    if (hits <= 0) return 1.0;
    if (hits > n) return 0.0;
    const boost::math::binomial_distribution<double> dist(static_cast<double>(n), p0);
    // The complement at hits − 1 is P(X > hits − 1) = P(X ≥ hits).
    return boost::math::cdf(boost::math::complement(dist, static_cast<double>(hits - 1)));
}

std::optional<double> chiSquarePValue(double chi2, int df) {
    if (df < 1 || !std::isfinite(chi2) || chi2 < 0) return std::nullopt;
    try {
        const boost::math::chi_squared_distribution<double> dist(df);
        return boost::math::cdf(boost::math::complement(dist, chi2));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::string formatPValue(double p) {
    // to_chars ignores the locale, so the window shows a decimal point under any language.
    char buffer[32];
    const bool below = p < kSignificanceLevel;
    for (int digits = 2; digits <= 17; ++digits) {
        const auto [end, ec] =
            std::to_chars(buffer, buffer + sizeof buffer, p, std::chars_format::general, digits);
        if (ec != std::errc()) return {};
        double rounded = 0;
        std::from_chars(buffer, end, rounded);
        // A shown value on the other side of 0.05 would contradict the verdict beside it.
        if ((rounded < kSignificanceLevel) == below) return std::string(buffer, end);
    }
    return {};
}

std::string pValueText(double p) {
    if (p < 0.0001) return "p < 0.0001";
    if (p > 0.99) return "p > 0.99";
    return "p = " + formatPValue(p);
}

std::string chanceVerdict(std::optional<double> p, const StudyPlace& place) {
    if (!p) return kTooFewVerdict;
    if (!place.counted()) {
        return "与均匀随机比较：" + pValueText(*p) + "；" + kNotCounted + "，不作判断";
    }
    const std::string shown = "（" + studyRuleText(*p, place.rank) + "）";
    if (judge(p, place).reliable()) return kUniformDiffers + shown + "；" + kUniformCaveat;
    return kUniformAgrees + shown;
}

ChanceTest testAgainstChance(const std::vector<TallyRow>& tally, int64_t total, double p0,
                             const StudyPlace& place) {
    ChanceTest test;
    const double jointAlpha =
        kSignificanceLevel / static_cast<double>(std::max<std::size_t>(1, tally.size()));
    test.rank = place.rank;
    test.searches = place.searches;
    test.total = total;
    test.chance = p0;
    test.df = static_cast<int>(tally.size()) - 1;
    const double expected = static_cast<double>(total) * p0;
    int64_t listed = 0;
    for (const auto& row : tally) {
        ChanceRow out;
        out.value = row.value;
        out.outcome = row.outcome;
        out.count = row.count;
        out.percent = row.percent;
        out.share = total > 0 ? static_cast<double>(row.count) / static_cast<double>(total) : 0.0;
        out.chance = p0;
        out.interval = wilsonInterval(row.count, total);
        out.joint = clopperPearsonInterval(row.count, total, jointAlpha);
        test.rows.push_back(std::move(out));
        listed += row.count;
        if (expected > 0) {
            const double d = static_cast<double>(row.count) - expected;
            test.chi2 += d * d / expected;
        }
    }

    if (total > 0 && listed != total) {
        test.status = ChanceStatus::UnlistedValues;
        test.verdict = kUnlistedValuesVerdict;
    } else if (total <= 0 || expected < kMinExpectedCount || test.df < 1) {
        test.status = ChanceStatus::TooFewValues;
        test.verdict = kTooFewVerdict;
    } else {
        test.p = chiSquarePValue(test.chi2, test.df);
        test.status = test.p ? ChanceStatus::Compared : ChanceStatus::TooFewValues;
        test.pAdjusted = judge(test.p, place).pAdjusted;
        test.verdict = chanceVerdict(test.p, place);
    }
    return test;
}

ChanceTest testAgainstChance(const SearchResult& result, CodeKind kind, const StudyPlace& place) {
    ChanceTest test = testAgainstChance(result.tally, result.total, chanceRate(kind), place);
    if (test.status == ChanceStatus::UnlistedValues && kind == CodeKind::Segment) {
        test.status = ChanceStatus::MixedSegmentBases;
        test.verdict = kMixedSegmentBaseVerdict;
    }
    return test;
}

}  // namespace arrange5
