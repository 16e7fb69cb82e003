#include <SQLiteCpp/Transaction.h>

#include "acquire/maintenance.h"
#include "store/draw_appender.h"
#include "store/errors.h"

namespace arrange5 {

bool isValidIssue(int64_t issue) {
    return issue >= 1000000 && issue <= 9999999 && issue % 1000 != 0;
}

int32_t appendManualDraw(HistoryStore& store, const Digits& digits, int segmentBase,
                         LastTwoDraws& sp, std::optional<int32_t> issueForEmptyHistory) {
    for (const int16_t d : digits) {
        if (d < 0 || d > 9) throw InputError("every position of a draw takes one digit 0 to 9");
    }
    // The next issue and the previous draw come from the table as it stands now, not from a
    // snapshot another writer may have outdated, and nobody else writes until this row is in.
    const HistoryStore::WriteLock lock = store.lockForWriting();
    store.reopenReadingCursor();
    int32_t issue = 0;
    if (store.empty()) {
        if (!issueForEmptyHistory) {
            throw InputError("the history is empty; give the issue number of this draw");
        }
        issue = *issueForEmptyHistory;
    } else {
        issue = nextIssueForDisplay(store.rows().back().issue);
    }
    if (!isValidIssue(issue)) {
        throw InputError(std::to_string(issue) +
                         " is not an issue number (seven digits: year and sequence, e.g. "
                         "2013001); nothing was stored");
    }

    AppendState state{sp, {}};
    state.primeFrom(store.rows());
    try {
        SQLite::Transaction tx(store.db());
        DrawAppender(store.db()).append(issue, digits, segmentBase, state);
        tx.commit();
    } catch (const SQLite::Exception& e) {
        throw StoreError("issue " + std::to_string(issue) + " could not be stored: " + e.what());
    }
    sp = state.sp;
    store.reopenReadingCursor();
    return issue;
}

}  // namespace arrange5
