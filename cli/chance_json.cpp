#include "cli/chance_json.h"

namespace arrange5::cli {

nlohmann::ordered_json rankJson(int rank) {
    return rank > 0 ? nlohmann::ordered_json(rank) : nlohmann::ordered_json(nullptr);
}

void addChanceFields(nlohmann::ordered_json& out, const AssessedSearch& assessed) {
    const ChanceTest& test = assessed.chance;
    const SearchResult& result = assessed.result;
    auto& tally = out["tally"];
    for (std::size_t i = 0; i < test.rows.size() && i < tally.size(); ++i) {
        tally[i]["chance"] = test.rows[i].chance;
        tally[i]["low"] = test.rows[i].interval.low;
        tally[i]["high"] = test.rows[i].interval.high;
        tally[i]["low_joint"] = test.rows[i].joint.low;
        tally[i]["high_joint"] = test.rows[i].joint.high;
        tally[i]["rest_count"] = result.tally[i].restCount;
    }
    out["test"] = {{"chi2", test.chi2},         {"df", test.df},
                   {"p", orNull(test.p)},       {"rank", rankJson(test.rank)},
                   {"searches", test.searches}, {"p_adjusted", orNull(test.pAdjusted)},
                   {"verdict", test.verdict}};
    const PatternTest& pattern = assessed.pattern;
    // Nothing compared has no statistic: no χ² and no degrees of freedom.
    out["pattern_test"] = {
        {"chi2", orNull(pattern.chi2)},
        {"df", pattern.chi2 ? nlohmann::ordered_json(pattern.df) : nlohmann::ordered_json()},
        {"p", orNull(pattern.p)},
        {"method", pattern.method},
        {"rank", rankJson(pattern.rank)},
        {"searches", pattern.searches},
        {"level", orNull(pattern.level)},
        {"p_adjusted", orNull(pattern.pAdjusted)},
        {"verdict", pattern.verdict}};
}

}  // namespace arrange5::cli
