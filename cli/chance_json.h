#pragma once

#include <nlohmann/json.hpp>
#include <optional>

#include "analysis/search.h"

namespace arrange5::cli {

// A figure that may be missing (a p-value not computed, a reference not set) is null in JSON.
template <typename T>
nlohmann::ordered_json orNull(const std::optional<T>& value) {
    return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
}

// Puts the statistics of a search into its JSON object: "chance", "low", "high",
// "low_joint", "high_joint" and "rest_count" into each row of its "tally" (the rows of
// `result.tally`, in the same order); "test" {chi2, df, p or null, verdict} against the
// chance rate and "pattern_test" {chi2, df, p, method, searches, p_adjusted, verdict}
// against the rest of the range into the object. `searches` is N of the study.
void addChanceFields(nlohmann::ordered_json& out, const SearchResult& result, CodeKind kind,
                     int searches);

}  // namespace arrange5::cli
