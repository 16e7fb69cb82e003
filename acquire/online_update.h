#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "acquire/official_source.h"
#include "acquire/page_fetcher.h"
#include "acquire/update_listing.h"
#include "store/append_state.h"
#include "store/errors.h"
#include "store/history_store.h"
#include "store/limits.h"

namespace arrange5 {

// Where the update takes the draws from.
enum class UpdateSource {
    Official,  // the operator's paged draw data (setting txtUpdateSource "official", default)
    Pages,     // one results page a year under a host (setting "pages", host txtUpdateHost)
};

// "official" / "pages", as the settings file and the command line write them.
std::string_view updateSourceKey(UpdateSource source);
std::optional<UpdateSource> updateSourceFromKey(std::string_view key);
// "体彩官方数据" / "开奖结果网页", as menus and the status line name them.
std::string_view updateSourceName(UpdateSource source);

// What was read, as the status line and the command line name it: "体彩官方数据" only for the
// operator's own address, else the host of the address read ("127.0.0.1", "www.example.com").
std::string updateSourceLabel(UpdateSource source, const std::string& address);

// The source an address is written for: the operator's paged JSON (its path ends in ".qry" or
// its query names the game, "gameNo=") or, for any other web address, the results pages.
// None for text that is no http:// or https:// address.
std::optional<UpdateSource> updateSourceOfAddress(const std::string& address);

// The first year that "keep N years" keeps: N calendar years, the current one included
// (6 years in 2026 keep 2021–2026).
int firstKeptYear(int currentYear, int yearsToKeep);

// The pauses after each HTTP 567 of the official service: about a minute and a half in all.
std::vector<std::chrono::milliseconds> defaultBusyPauses();

// The source is named by every caller (the settings' default and the command line's is
// Official); left alone it is Pages, which reads the given host as callers before the
// official source did.
struct UpdateOptions {
    UpdateSource source = UpdateSource::Pages;
    std::string baseUrl;  // Pages: the results host (txtUpdateHost)
    // Official: the source address (txtOfficialUrl, whose default the settings table holds).
    std::string officialUrl = defaultUserSettings().officialUrl;
    int officialPageSize = kOfficialPageSize;
    std::vector<std::chrono::milliseconds> busyPauses = defaultBusyPauses();
    // The start of an empty history's reading, and the years the purge check keeps.
    int yearsToKeep = limits::kDefaultYearsToKeep;
    // The user agreed to delete the years before the years to keep (the window's "删除并更新",
    // the command line's --years-to-keep). Without it an outdated history is kept whole and
    // the update appends to it.
    bool purgeAllowed = false;
    int currentYear = 0;  // from the system date, or fixed by the caller
    std::string today;    // that date as YYYY-MM-DD, for messages; may be empty
    int maxRestarts = 3;  // how often an unreadable page may restart the pass
};

// The purge an update would make of this history: every stored draw is deleted and the years
// from `keptFrom` are read again, so the draws of the years before it are lost.
struct PurgeProposal {
    int yearsToKeep = 0;
    int firstYear = 0;      // the oldest stored year
    int lastYear = 0;       // the last year whose draws are lost
    int keptFrom = 0;       // the year the kept history starts from
    std::size_t draws = 0;  // stored draws of the years before keptFrom

    // "按保留 6 年的设置，更新将删除 2004–2019 年的 5,399 期历史号码，只保留 2020 年以后的号码。"
    std::string question() const;
    // What an update that was not allowed to purge says it did instead.
    std::string keptNotice() const;
};

// The purge the update would make with these options, none when the history is within the
// years to keep (or empty). Reads only `rows`.
std::optional<PurgeProposal> proposePurge(const HistorySnapshot& rows,
                                          const UpdateOptions& options);

struct UpdateReport {
    UpdateSource source = UpdateSource::Official;
    std::string address;    // the address read: the official data's, or the results host
    std::size_t added = 0;  // draws that were not stored before
    // A purge: the stored draws deleted for good, and the stored draws of the kept years that
    // were deleted and stored again from the source. Both 0 without a purge.
    std::size_t deleted = 0;
    std::size_t reread = 0;
    int32_t firstAdded = 0;  // the first new draw, 0 for none
    int32_t lastIssue = 0;   // the last stored issue after the update, 0 for an empty history
    bool purged = false;
    // The history is older than the years to keep but the purge was not allowed: it stays.
    std::optional<PurgeProposal> purgeDeclined;
    bool purgeRefusedForClock = false;  // the clock is years past the newest listed draw
    int startYear = 0;
    // Stored draws the source lists with other digits; they are kept as stored.
    std::vector<int32_t> disagreements;
    std::string firstDisagreement;  // "第 2020100 期（存有 12345，来源给出 “12346”）"
    // A history the source cannot continue without a hole: the draws from holeFrom up to the
    // one before holeBefore are not stored.
    int32_t holeFrom = 0;
    int32_t holeBefore = 0;
    // Issues a page listed with a sequence above 365; they get no row.
    std::vector<int32_t> missing;
    // The issue the source does not list; the draws stored stop before it.
    std::optional<int32_t> gap;
    // Rows whose issue is not a number, as listed, and rows that are no draws of their year.
    std::vector<std::string> unreadableIssues;
    std::size_t skippedRows = 0;

    // What the update read from: updateSourceLabel of its source and address.
    std::string label() const;
    // "新增 12 期，截至第 2016174 期", with what happened besides; a purge adds "删除 5,399 期，
    // 重新读入 2,242 期".
    std::string summary() const;
    // The summary the status bar and the command line show: the source, what was appended
    // from which issue to which, whether the history was purged, any hole or disagreement.
    std::string line() const;
    // The warnings, one per line: a gap ("第 2016150 期不在页面上；……"), a hole, stored
    // draws the source gives otherwise, a purge refused for the clock. Empty without.
    std::string warning() const;
};

// A gap right after the last stored issue (or at the start of an emptied history): there is
// nothing to store, and nothing was changed. `missing()` holds the issue the source lacks.
class MissingDrawsError : public FetchError {
  public:
    MissingDrawsError(const std::string& message, std::vector<int32_t> missing)
        : FetchError(message), missing_(std::move(missing)) {}
    const std::vector<int32_t>& missing() const { return missing_; }

  private:
    std::vector<int32_t> missing_;
};

// Asked before and after each page and several times a second while a page is on its way,
// with the year being read and the number of new draws found so far; false cancels.
using UpdateProgress = std::function<bool(int year, std::size_t draws)>;

// "第 2016150 期不在页面上；已存入到第 2016149 期。可以在下面手动输入……"; storedUpTo 0
// when nothing could be stored.
std::string updateGapMessage(int32_t gap, int32_t storedUpTo);

// base + "/lottery/draw/list/4?d=" + year + "-01-01"
std::string resultsPageUrl(const std::string& baseUrl, int year);

// The fetcher for a source: the official service is asked with a browser's headers.
PageFetcher makeUpdateFetcher(UpdateSource source, const FetchLimits& limits = {});

// The online update. Reads the draws from the start year to the current year from the chosen
// source, then, in one transaction, purges an outdated history and appends the new draws with
// Append draw, up to the first issue the source does not list (UpdateReport::gap). Throws, with
// the history exactly as before, when nothing can be stored or anything is in doubt: an
// unreachable host, an unreadable page after the restarts, a listing that is refused, a clock
// behind the stored draws, a purge that would not get every year back, a gap right at the
// start (MissingDrawsError), cancel. Touches only `store`, whose writer context codes the new
// rows and whose last two draws advance only when rows were stored.
UpdateReport runOnlineUpdate(HistoryStore& store, const UpdateOptions& options,
                             const PageFetcher& fetch, const UpdateStatusProgress& progress);
UpdateReport runOnlineUpdate(HistoryStore& store, const UpdateOptions& options,
                             const PageFetcher& fetch, const UpdateProgress& progress = {});

}  // namespace arrange5
