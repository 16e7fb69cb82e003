#pragma once

#include <nlohmann/json.hpp>

#include "analysis/search.h"

namespace arrange5::cli {

// Puts the comparison with chance into a search's JSON object: "chance", "low" and "high"
// into each row of its "tally" (the rows of `result.tally`, in the same order) and "test"
// {chi2, df, p or null, verdict} into the object. The command line runs one search, so the
// verdict counts one.
void addChanceFields(nlohmann::ordered_json& out, const SearchResult& result, CodeKind kind);

}  // namespace arrange5::cli
