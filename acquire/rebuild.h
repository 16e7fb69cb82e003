#pragma once

#include <filesystem>

#include "acquire/replace_history.h"
#include "store/append_state.h"
#include "store/history_store.h"

namespace arrange5 {

// lsbf.txt in the store's data folder.
std::filesystem::path backupFilePath(const HistoryStore& store);

// Rebuilds the history from lsbf.txt, filling txtHisPre… from the draw two before.
// A missing or unreadable backup file, or one with lines but no draw line, changes nothing
// and throws. An empty backup file means "keep nothing": the history becomes empty.
// `kind` is what the viewers are told: a replacement (the rebuild command), or the deletion of
// the newest rows the deletion commands carry out through it.
ReplaceReport rebuildFromBackup(HistoryStore& store, ChangeKind kind = ChangeKind::Replaced);

}  // namespace arrange5
