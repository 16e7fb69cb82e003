#pragma once

#include <cstddef>

#include "acquire/history_check.h"
#include "store/pick_journal.h"

namespace arrange5 {

class HistoryStore;

// The whole file's check, for the window and the command line alike: the history's rows and
// the pick journal kept beside them. A broken journal chain is one of the problems.
struct StoreCheck {
    HistoryCheck history;
    std::size_t pickEntries = 0;
    PickChain picks;
};

StoreCheck checkStore(HistoryStore& store);

}  // namespace arrange5
