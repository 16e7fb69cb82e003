#include "cli/chance_json.h"

#include "analysis/chance.h"

namespace arrange5::cli {

void addChanceFields(nlohmann::ordered_json& out, const SearchResult& result, CodeKind kind) {
    const ChanceTest test = testAgainstChance(result, kind, 1);
    auto& tally = out["tally"];
    for (std::size_t i = 0; i < test.rows.size() && i < tally.size(); ++i) {
        tally[i]["chance"] = test.rows[i].chance;
        tally[i]["low"] = test.rows[i].interval.low;
        tally[i]["high"] = test.rows[i].interval.high;
    }
    out["test"] = {{"chi2", test.chi2},
                   {"df", test.df},
                   {"p", test.p ? nlohmann::ordered_json(*test.p) : nullptr},
                   {"verdict", test.verdict}};
}

}  // namespace arrange5::cli
