#pragma once

#include <SQLiteCpp/Database.h>

namespace arrange5 {

class HistoryStore;

// The store's open connection. Only the store's own files and the tests reach the database
// this way; the SQL search engine gets it from its write body's HistoryWriter, and everything
// else goes through HistoryStore's operations, so that SQL text lives in those places alone. Throws StoreError when a failed reopen
// (after compaction) left no open database.
SQLite::Database& sqlConnection(HistoryStore& store);

}  // namespace arrange5
