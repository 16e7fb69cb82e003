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

// The purge the years to keep call for: the draws of firstYear..lastYear would be deleted and
// the history read again from keptFrom on.
struct PurgeProposal {
    int yearsToKeep = 0;
    int firstYear = 0;
    int lastYear = 0;
    std::size_t draws = 0;
    int keptFrom = 0;

    // "按保留 6 年的设置，更新将删除 2004–2019 年的 5,399 期历史号码，只保留 2020 年以后的号码。"
    std::string question() const;
};

// The purge check on the stored rows: nothing when the oldest stored year is within the years
// to keep of the current year.
std::optional<PurgeProposal> purgeProposal(const HistorySnapshot& rows, int currentYear,
                                           int yearsToKeep);

// The year a source's two-digit year stands for: the one nearest `nearYear` (the last stored
// draw's year, or today's for an empty history). A wrong clock can then neither renumber the
// draws nor move them out of the history's century.
int yearOfTwoDigitYear(int twoDigitYear, int nearYear);

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
    bool purgeConsent = false;
    std::string today;  // YYYY-MM-DD; empty for the system date
    int segmentBase = 1;
};

// The options of the update the user chose: the source and its address, the current year from
// the date. Throws InputError naming a date that is not YYYY-MM-DD.
UpdateOptions updateOptionsFor(const UpdateChoices& choices);

// The purge the update would ask the user about, on the store as it is now.
std::optional<PurgeProposal> purgeProposalFor(const HistorySnapshot& rows,
                                              const UpdateOptions& options);

}  // namespace arrange5
