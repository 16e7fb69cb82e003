#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "acquire/page_fetcher.h"
#include "store/append_state.h"
#include "store/errors.h"
#include "store/history_store.h"

namespace arrange5 {

struct UpdateOptions {
    std::string baseUrl;  // http:// or https://, the results host (setting txtUpdateHost)
    int yearsToKeep = 6;  // 2..16
    int currentYear = 0;  // from the system date, or fixed by the caller
    int segmentBase = 1;
    int maxRestarts = 3;  // how often an unreadable page may restart the pass
};

struct UpdateReport {
    std::size_t added = 0;
    int32_t firstAdded = 0;
    int32_t lastIssue = 0;  // the last stored issue after the update, 0 for an empty history
    bool purged = false;
    int startYear = 0;
    // Issues a page listed with a sequence above 365; they get no row.
    std::vector<int32_t> missing;

    // "新增 12 期，截至第 2016174 期", for the status bar and the command line.
    std::string summary() const;
};

// A page lists the year's draws with a hole (a sequence between the first one to add and the
// highest that no row gives, or gives without five digits). Nothing is stored: storing the
// draws after the hole would leave it in the history for good.
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

// base + "/lottery/draw/list/4?d=" + year + "-01-01"
std::string resultsPageUrl(const std::string& baseUrl, int year);

// The online update. Reads the year pages from the start year to the current year, then, in one
// transaction, purges an outdated history and appends the new draws with Append draw. The store
// is changed only when every page was read; on any failure (unreachable host, HTTP error, a page
// without the table after the restarts, a hole in the sequences, cancel) it throws and the
// history is exactly as before. Touches only `store`; `sp` advances only when rows were stored.
UpdateReport runOnlineUpdate(HistoryStore& store, const UpdateOptions& options, LastTwoDraws& sp,
                             const PageFetcher& fetch, const UpdateProgress& progress = {});

}  // namespace arrange5
