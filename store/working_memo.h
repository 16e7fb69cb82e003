#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "store/change_stamp.h"

namespace arrange5 {

// The search memo: what each working column of Lishi is known to hold in every row (its
// derivation from the draws, as WorkingUpdate::run describes it), so that a search skips
// rewriting a column that already holds what it would write.
//
// What it gains: a search repeated with the same settings writes nothing and only reads its
// hits; one that changes the reference values rewrites only the marks, not the lag columns.
// On the build machine (docs/performance.md) a repeated single search takes 1.6 to 3.9 ms
// on the real history against 11 to 38 ms for its first run, 65 ms against 512 ms on 100,000
// draws and 0.68 s against 4.7 s on 1,000,000.
//
// The knowledge holds only while nothing else can have written: it is kept with the store's
// change stamp, which every change through the connection, every commit by another program
// and every reopen of the connection moves. The history document owns one, in its writer
// context, so two open histories never share what they know.
class WorkingMemo {
  public:
    // The columns known to hold their derivation at `now`: empty when the stamp moved since
    // the last record.
    std::map<std::string, std::string> known(const ChangeStamp& now);

    // After a rewrite committed: `written` holds every column it assigned, `before` and
    // `after` the stamps taken when its transaction began and just before it committed.
    void record(const std::map<std::string, std::string>& written, const ChangeStamp& before,
                const ChangeStamp& after);

  private:
    std::mutex mutex_;
    std::map<std::string, std::string> columns_;
    std::optional<ChangeStamp> stamp_;
};

}  // namespace arrange5
