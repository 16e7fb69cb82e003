#pragma once

#include <filesystem>

#include "acquire/replace_history.h"
#include "store/append_state.h"
#include "store/history_store.h"

namespace arrange5 {

// The first start of a data folder, for the window and the CLI alike: the history that
// ships with the program (`bundled`) fills the new database. A copy goes into the import
// folder first, so that the import dialog opens on a real file, and the copy is what is read
// when it could be made.
ReplaceReport fillFromBundledHistory(HistoryStore& store, const std::filesystem::path& bundled);

}  // namespace arrange5
