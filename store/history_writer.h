#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "store/draw_appender.h"

namespace SQLite {
class Database;
}

namespace arrange5 {

class HistoryStore;

// The one handle that changes rows. HistoryStore::write() makes it for the length of one
// transaction and hands it to the write's body; nothing else can change the history, so every
// change is inside a transaction that commits whole or not at all, and is told to the
// document's viewers.
class HistoryWriter {
  public:
    HistoryWriter(const HistoryWriter&) = delete;
    HistoryWriter& operator=(const HistoryWriter&) = delete;

    // Runs statements that change the store (the searches' working columns, Carcu).
    void execute(const std::string& sql);
    // Deletes every row of Lishi and returns how many there were; the same transaction puts
    // the replacement in, so the history is never left empty by a command that fails.
    std::size_t deleteAll();
    // Deletes the row of the largest issue and returns that issue; none for an empty history.
    std::optional<int32_t> deleteNewestRow();
    // The append cursor, for a body that appends draws.
    DrawAppender appender();
    // The open connection, for the SQL search engine's statements inside this write.
    SQLite::Database& connection() { return db_; }

  private:
    friend class HistoryStore;
    explicit HistoryWriter(SQLite::Database& db) : db_(db) {}
    SQLite::Database& db_;
};

}  // namespace arrange5
