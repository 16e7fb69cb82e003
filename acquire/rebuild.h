#pragma once

#include <filesystem>

#include "acquire/replace_history.h"
#include "store/append_state.h"
#include "store/history_store.h"

namespace arrange5 {

// lsbf.txt in the store's data folder.
std::filesystem::path backupFilePath(const HistoryStore& store);

// Dqzd: rebuilds the history from lsbf.txt, filling txtHisPre… from the draw two before.
// A missing or unreadable backup file, or one with lines but no draw line, changes nothing
// and throws. An empty backup file means "keep nothing": the history becomes empty.
ReplaceReport rebuildFromBackup(HistoryStore& store);

}  // namespace arrange5
