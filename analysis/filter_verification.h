#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "analysis/number_filter.h"
#include "analysis/study_rule.h"

namespace arrange5 {

// The filter checked against the past: for each target issue the conditions are applied as
// they stood before it (--repeat against the draw before the target), and the target's draw
// passed or not. Whatever the rate, a share is the chance a fair draw falls in the set.
struct ConditionKills {
    std::string name;
    std::string value;
    int64_t kills = 0;      // targets whose draw this condition alone would have excluded
    double killRate = 0;    // kills / targets
    double chanceKill = 0;  // 1 − the condition's share
};

struct FilterVerification {
    int32_t first = 0;  // the first and last target used
    int32_t last = 0;
    int64_t targets = 0;
    int64_t passes = 0;
    double rate = 0;
    double expected = 0;    // the mean of the set's share over the targets
    bool sameShare = true;  // binomial test; else the exact Poisson-binomial
    double p = 1;
    std::vector<ConditionKills> conditions;
    // The study's rule: the k-th distinct setting is judged at 0.05 / (k (k + 1)); rank 0
    // (not counted: the study log could not be read) leaves level and p_adjusted out.
    int rank = 0;
    int searches = 0;
    std::optional<double> level;
    std::optional<double> pAdjusted;
    std::string setting;      // the study's key
    std::string commandLine;  // the run as arrange5-cli's options repeat it
    std::string verdict;
    std::optional<std::string> warning;  // the study could not count or keep it
};

// Every stored issue in [first, last] (open ends: the history's) is a target, except one
// whose conditions need the draw before it and has none. Throws InputError for a reversed
// range or one that holds no target. Not counted in the study: see verifyFilterInStudy.
FilterVerification verifyFilter(const NumberFilter& filter, const HistorySnapshot& rows,
                                std::optional<int32_t> first, std::optional<int32_t> last);

// The line that names this verification in the study: the game, every condition and the
// resolved targets. Two verifications are one setting when their lines are equal.
std::string filterSettingText(const NumberFilter& filter, const FilterVerification& v);
// The same run as the command line would repeat it.
std::string filterCommandLine(const NumberFilter& filter, const FilterVerification& v);

// Sets rank, searches, level, p_adjusted and the verdict for the setting's place in the study.
void judgeFilter(FilterVerification& v, const StudyPlace& place);

// verifyFilter, counted in the study kept in `dataFolder` and judged by its rule.
FilterVerification verifyFilterInStudy(const NumberFilter& filter, const HistorySnapshot& rows,
                                       std::optional<int32_t> first, std::optional<int32_t> last,
                                       const std::filesystem::path& dataFolder);

// "A:B", "A:" or ":B" into the two ends; throws InputError naming `what`.
std::pair<std::optional<int32_t>, std::optional<int32_t>> parseIssueRange(const std::string& text,
                                                                          const std::string& what);

}  // namespace arrange5
