#include "analysis/lag_pass.h"

namespace arrange5 {

void runLagPass(SQLite::Database& db, const LagPass& pass) {
    if (pass.empty()) return;
    std::string set;
    std::string select = "SELECT SQQH AS q";
    std::string changed;
    int alias = 0;
    auto add = [&](const LagPass::Column& c, int distance, const char* none) {
        std::string name = "c";
        name += std::to_string(alias++);
        select += ", LAG(" + c.source + ", " + std::to_string(distance) + ", " + none +
                  ") OVER w AS " + name;
        if (!set.empty()) set += ", ";
        set += c.target + " = t." + name;
        if (!changed.empty()) changed += " OR ";
        changed += "Lishi." + c.target + " IS NOT t." + name;
    };
    for (const auto& c : pass.values) add(c, pass.valueDistance, "0");
    for (const auto& c : pass.strings) add(c, pass.stringDistance, "''");
    db.exec("UPDATE Lishi SET " + set + " FROM (" + select +
            " FROM Lishi WINDOW w AS (ORDER BY SQQH)) AS t WHERE Lishi.SQQH = t.q AND (" + changed +
            ")");
}

}  // namespace arrange5
