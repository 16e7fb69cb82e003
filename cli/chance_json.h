#pragma once

#include <nlohmann/json.hpp>
#include <optional>

#include "analysis/search_form.h"

namespace arrange5::cli {

// A figure that may be missing (a p-value not computed, a reference not set) is null in JSON.
template <typename T>
nlohmann::ordered_json orNull(const std::optional<T>& value) {
    return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
}

// A setting's rank in the study; null when it was not counted.
nlohmann::ordered_json rankJson(int rank);

// Puts the assessment of a search into its JSON object: "chance", "low", "high",
// "low_joint", "high_joint" and "rest_count" into each row of its "tally" (the rows of the
// result's tally, in the same order); "test" {chi2, df, p, rank, searches, p_adjusted,
// verdict} against the chance rate and "pattern_test" {chi2, df, p, method, rank, searches,
// level, p_adjusted, verdict} against the rest of the range into the object. Nothing is
// computed here.
void addChanceFields(nlohmann::ordered_json& out, const AssessedSearch& assessed);

}  // namespace arrange5::cli
