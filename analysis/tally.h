#pragma once

#include <SQLiteCpp/Database.h>

#include <cstdint>
#include <string>

#include "analysis/search.h"

namespace arrange5 {

// count × 100 / total with three decimals, rounded half away from zero on the exact value,
// followed by "%"; empty when total is 0.
std::string formatPercent(int64_t count, int64_t total);

// Tally and display: lists the rows of [from, to] that satisfy `hitCondition` (an SQL
// condition over Lishi built from integers only) in issue order, counts their outcomes and
// those of the rest (rows meeting `eligibleCondition` but not the hit condition), rewrites
// Carcu and fills the tally grid. Runs inside the caller's transaction.
void tallyHits(SQLite::Database& db, const SearchRequest& request, const std::string& hitCondition,
               const std::string& eligibleCondition, SearchResult& result);

}  // namespace arrange5
