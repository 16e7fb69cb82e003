#pragma once

#include <nlohmann/json.hpp>

#include "analysis/search.h"

namespace arrange5::cli {

// Puts the statistics of a search into its JSON object: "chance", "low", "high",
// "low_joint", "high_joint" and "rest_count" into each row of its "tally" (the rows of
// `result.tally`, in the same order); "test" {chi2, df, p or null, verdict} against the
// chance rate and "pattern_test" {chi2, df, p, method, searches, p_adjusted, verdict}
// against the rest of the range into the object. `searches` is N of the study.
void addChanceFields(nlohmann::ordered_json& out, const SearchResult& result, CodeKind kind,
                     int searches);

}  // namespace arrange5::cli
