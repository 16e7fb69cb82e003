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
#include "store/settings_table.h"

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
};

// The options of the update the user chose: the source and its address, the current year from
// the date. Throws InputError naming a date that is not YYYY-MM-DD.
UpdateOptions updateOptionsFor(const UpdateChoices& choices);

// The source and address of one update. A source typed on the command line always wins; else
// an address typed there says by its form which source it is (the operator's JSON address or a
// results site); else the saved choice, the operator's data when none. The address is the one
// typed, else the saved one of the chosen source (empty for the operator's own address).
struct SourceChoice {
    UpdateSource source = UpdateSource::Official;
    std::string address;
};
SourceChoice chooseUpdateSource(std::optional<UpdateSource> typedSource,
                                const std::string& typedAddress, const UserSettings& saved);

// The address an update reads: the official data's (its default when none is set) or the
// results host.
std::string addressRead(const UpdateChoices& choices);

// After the operator's data failed, the results pages when their address is set: the same
// update on the other source. None when the failed update was not on the operator's data or no
// results address is set.
std::optional<UpdateChoices> fallbackChoices(const UpdateChoices& failed,
                                             const std::string& pagesAddress);

// "体彩官方数据 没有读到（原因）；改从 127.0.0.1:8765 的开奖结果网页读取"
std::string fallbackNotice(const std::string& failure, const UpdateChoices& failed,
                           const UpdateChoices& fallback);

}  // namespace arrange5
