#pragma once

// The lottery operator's draw data: paged JSON, newest draw first.
//   GET ADDRESS&pageSize=S&pageNo=P
//   {"success": true, "value": {"list": [{"lotteryDrawNum": "26174",
//    "lotteryDrawResult": "1 5 7 6 6", ...}, ...], "pages": 255, ...}}

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "acquire/page_fetcher.h"
#include "acquire/update_listing.h"
#include "store/draw.h"
#include "store/settings_table.h"

namespace arrange5 {

// The operator's address: the default of txtOfficialUrl, which the settings table holds.
inline const std::string& officialSourceUrl() {
    return defaultUserSettings().officialUrl;
}
inline constexpr int kOfficialPageSize = 100;
// The status the service answers when it is asked too often.
inline constexpr long kOfficialBusyStatus = 567;

// The service turns plain clients away with an HTML page; it is asked as its own site's
// pages ask it.
RequestHeaders officialRequestHeaders();

// ADDRESS + "&pageSize=S&pageNo=P" ("?" when the address has no query yet).
std::string officialPageUrl(const std::string& address, int pageSize, int pageNo);

struct OfficialDraw {
    int32_t fiveDigitIssue = 0;  // two-digit year, three-digit sequence: 26174
    Digits digits{};
    std::string resultText;  // lotteryDrawResult as given
};

struct OfficialAnswer {
    std::vector<OfficialDraw> draws;  // in the order of the answer
    std::optional<int> pages;         // how many pages the service has, when it says
};

// Reads one answer. Throws UnreadableListing for an answer that is not JSON (an HTML page,
// stray control characters), saying what came back; FetchError naming the field and its
// value for JSON that is refused: `success` not true, no list, an issue that is not five
// digits, a result that is not five digits separated by blanks, one issue twice with
// different digits.
// An answer with far more objects and arrays than `pageSize` entries can hold is refused
// before it is parsed.
OfficialAnswer readOfficialAnswer(std::string_view body, int pageNo,
                                  int pageSize = kOfficialPageSize);

// The four-digit year of a two-digit year (26 → 2026): the one nearest `anchorYear`.
int yearNear(int twoDigitYear, int anchorYear);

struct OfficialReadOptions {
    std::string address = officialSourceUrl();
    int pageSize = kOfficialPageSize;
    // The pauses before each new request after an HTTP 567, growing; when they are used up
    // the update fails.
    std::vector<std::chrono::milliseconds> busyPauses;
    int startYear = 0;
    int currentYear = 0;
    int32_t lastIssue = 0;  // pages are read until one reaches it (0: until the start year)
    // The last stored issue, also when a purge reads the kept years again: the draws up to it
    // are counted as read again, not as new.
    int32_t storedLastIssue = 0;
    std::string today;  // "今天的日期 2020-06-01", for the message on a wrong clock
    // The year a listed issue's two-digit year is read near: the last stored draw's year, or
    // the current year for an empty history. The clock's century never renumbers a draw.
    int anchorYear = 0;
};

// Reads pages from 1 until a page reaches an issue at or below the last issue or a year
// before the start year, and returns one listing per year from the start year to the current
// year. Throws UnreadableListing when a page could not be had or read (the caller reads the
// pass again), FetchError when the service stayed busy or refused an answer, InputError for a
// draw of a year after the current one (the clock is wrong), CancelledError on cancel.
// `newestSeen` receives the newest issue the service listed, also one before the start year.
std::vector<YearListing> readOfficialListings(const PageFetcher& fetch,
                                              const OfficialReadOptions& options,
                                              const UpdateStatusProgress& progress,
                                              int32_t* newestSeen = nullptr);

}  // namespace arrange5
