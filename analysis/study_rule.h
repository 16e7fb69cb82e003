#pragma once

#include <optional>
#include <string>

namespace arrange5 {

// Where one setting stands in the study: the k-th distinct setting is judged at
// 0.05 / (k (k + 1)). These shares add up to less than 0.05 however many settings follow,
// so a study of fair draws says "different" falsely less than 5 % of the time, however
// long it runs, and no verdict changes when later settings are tried.
struct StudyPlace {
    int rank = 0;      // k: 1 for the first distinct setting; a repeat keeps its first rank.
                       // 0: not counted (nothing to test, or the study could not be read)
    int searches = 0;  // the study's distinct settings so far

    bool counted() const { return rank > 0; }
};

// 0.05 / (k (k + 1)) for rank k ≥ 1.
double studyLevel(int rank);

// min(1, k (k + 1) p): below 0.05 exactly when p is below the setting's level.
double studyAdjustedP(double p, int rank);

// The rule in the words a verdict uses, inside its brackets:
// "p = 0.012；这是本研究的第 3 种设置，须 p < 0.0042 才算可靠：校正后 p = 0.14".
std::string studyRuleText(double p, int rank);

// What a verdict says in place of a judgement when its search was not counted.
inline const std::string kNotCounted = "未计入研究";
// What every verdict that finds a difference adds: it describes the draws that were.
inline const std::string kPastOnly = "这说的是过去，不预示下一期";

// A judged test: the adjusted p and the setting's level when the setting was counted.
struct StudyJudgement {
    std::optional<double> level;
    std::optional<double> pAdjusted;

    // True only when a counted setting's adjusted p is below 0.05.
    bool reliable() const;
};

StudyJudgement judge(std::optional<double> p, const StudyPlace& place);

}  // namespace arrange5
