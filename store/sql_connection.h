#pragma once

#include <SQLiteCpp/Database.h>

namespace arrange5 {

class HistoryStore;

// The store's open connection. Only the store's own files, the SQL search engine and the
// tests reach the database this way; everything else goes through HistoryStore's operations,
// so that SQL text lives in those places alone. Throws StoreError when a failed reopen
// (after compaction) left no open database.
SQLite::Database& sqlConnection(HistoryStore& store);

}  // namespace arrange5
