#pragma once

// The decisions the online update takes before and after reading its source: whether and
// what it may purge, where it starts reading, and what the listings say about the draws
// already stored.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "acquire/online_update.h"
#include "acquire/update_listing.h"
#include "store/history_row.h"

namespace arrange5 {

// A stored draw the source lists with other digits, or does not list at all (nothing).
struct Disagreement {
    int32_t issue = 0;
    Digits stored{};
    std::optional<std::string> listed;  // the digits as the source gave them
};

// The stored draws of `fromYear` on that the listings cover and give otherwise. With
// `requireListed`, a stored draw of a listed year that the source leaves out counts too.
std::vector<Disagreement> disagreements(const HistorySnapshot& rows,
                                        const std::vector<YearListing>& years, int fromYear,
                                        bool requireListed);

// "第 2020100 期（存有 12345，来源给出 12346）"
std::string describeDisagreement(const Disagreement& d);

// The newest issue the listings hold, 0 for none.
int32_t newestListed(const std::vector<YearListing>& years);

// What the user chose for one update, as the window's settings or the command line give it.
struct UpdateChoices {
    UpdateSource source = UpdateSource::Official;
    // Official: replaces the operator's address when not empty; Pages: the results host.
    std::string address;
    int yearsToKeep = limits::kDefaultYearsToKeep;
    bool purgeAllowed = false;
    std::string today;  // YYYY-MM-DD; empty for the system date
    int segmentBase = 1;
};

// The options of the update the user chose: the source and its address, the current year from
// the date. Throws InputError naming a date that is not YYYY-MM-DD.
UpdateOptions updateOptionsFor(const UpdateChoices& choices);

}  // namespace arrange5
