#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/search.h"
#include "analysis/study_rule.h"
#include "store/draw.h"

namespace arrange5 {

// The normal quantile of a two-sided 95 % interval.
inline constexpr double kWilsonZ95 = 1.959964;
// Below this expected count per outcome the χ² distribution is no fair approximation.
inline constexpr double kMinExpectedCount = 5.0;
inline constexpr double kSignificanceLevel = 0.05;

// The share each outcome of a kind gets from a fair draw: a number 1/10; 大/小 and 单/双 1/2;
// a segment (two digits of ten) 1/5, under either segment base.
double chanceRate(CodeKind kind);

struct Interval {
    double low = 0.0;
    double high = 1.0;
};

// The Wilson score interval of count/total; with no total the whole range [0, 1].
Interval wilsonInterval(int64_t count, int64_t total, double z = kWilsonZ95);

// The Clopper–Pearson (exact) interval of count/total at level 1 − alpha; with no total the
// whole range [0, 1].
Interval clopperPearsonInterval(int64_t count, int64_t total, double alpha);

// P(X ≥ hits) for X binomial with n trials of success rate p0.
double binomialUpperTail(int64_t hits, int64_t n, double p0);

// The upper tail of the χ² distribution with df degrees of freedom at chi2; none when the
// arguments name no distribution (df < 1, chi2 negative or not finite).
std::optional<double> chiSquarePValue(double chi2, int df);

// p with two significant digits, trailing zeros dropped: "0.15", "0.012", "0.0003", "1.2e-09";
// more digits where two would carry it across 0.05 (0.049588 is "0.0496", not "0.05").
std::string formatPValue(double p);

// p as a reader meets it in a verdict: "p = 0.0496"; below 0.0001 "p < 0.0001"; above 0.99
// "p > 0.99".
std::string pValueText(double p);

inline const std::string kTooFewVerdict = "样本太少，无法与随机比较";
inline const std::string kUniformDiffers = "过去的统计与均匀随机有差别";
inline const std::string kUniformCaveat = "这不一定与所选形态有关，也不预示下一期";
inline const std::string kUniformAgrees = "与均匀随机相符";
inline const std::string kMixedSegmentBaseVerdict =
    "统计中有按另一种段数参数算出的段数，无法与随机比较；请先按当前分段方式重算";
inline const std::string kUnlistedValuesVerdict = "统计中有不属于所列结果的值，无法与随机比较";

// The chance test describes the tally only: a difference from a uniform draw may come from
// the history as a whole, whatever the pattern. It says 有差别 only when the setting was
// counted in the study and its adjusted p is below 0.05. No p: too few values.
std::string chanceVerdict(std::optional<double> p, const StudyPlace& place);

enum class ChanceStatus {
    Compared,          // p is given
    TooFewValues,      // no values, or an expected count under kMinExpectedCount
    UnlistedValues,    // part of the total lies outside the listed outcomes
    MixedSegmentBases  // the same for segments: rows stored under the other segment base
};

// One tally row beside its chance rate and the 95 % interval of its share.
struct ChanceRow {
    int value = 0;
    std::string outcome;
    int64_t count = 0;
    std::string percent;
    double share = 0.0;  // count / total, 0 with no total
    double chance = 0.0;
    Interval interval;
    Interval joint;  // at 1 − 0.05 / K over the K listed outcomes: all hold together
};

// A tally compared with a fair draw by Pearson's goodness of fit over the listed outcomes.
struct ChanceTest {
    ChanceStatus status = ChanceStatus::TooFewValues;
    double chi2 = 0.0;
    int df = 0;
    std::optional<double> p;
    int rank = 0;                     // the setting's place in the study; 0: not counted
    int searches = 0;                 // the study's distinct settings so far
    std::optional<double> pAdjusted;  // min(1, k (k + 1) p) when counted and tested
    std::string verdict;
    int64_t total = 0;
    double chance = 0.0;
    std::vector<ChanceRow> rows;  // in the tally's order
};

// Every listed outcome has chance p0; `total` is the tally's T (the values counted). The
// joint interval is Clopper–Pearson's: exact, it never covers less than it promises, also
// for the small totals a search on fixed positions often has.
ChanceTest testAgainstChance(const std::vector<TallyRow>& tally, int64_t total, double p0,
                             const StudyPlace& place);

// The same for a search's tally of result kind `kind`; for segments unlisted values mean
// the history mixes the two segment bases, and the verdict says how to recompute them.
ChanceTest testAgainstChance(const SearchResult& result, CodeKind kind, const StudyPlace& place);

}  // namespace arrange5
