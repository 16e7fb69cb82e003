#include "acquire/store_check.h"

#include "store/history_store.h"

namespace arrange5 {

StoreCheck checkStore(HistoryStore& store) {
    StoreCheck check;
    check.history = checkHistory(store.rows());
    const auto journal = readPickJournal(store);
    check.pickEntries = journal.size();
    check.picks = checkPickChain(store, journal);
    if (!check.picks.intact) check.history.problems.push_back(check.picks.problem);
    return check;
}

}  // namespace arrange5
