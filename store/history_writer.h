#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "store/append_state.h"
#include "store/draw_appender.h"
#include "store/working_memo.h"

namespace SQLite {
class Database;
}

namespace arrange5 {

// What one command's writes hand on to the next: the segment base new rows are coded with,
// the codes of the last two draws appended since start-up (they belong to whoever runs the
// program and are never loaded from the table) and the search memo. The history document
// owns one and lends it to every write; a store opened on its own (a test, a tool) has its
// own, with base 1.
struct WriterContext {
    int segmentBase = 1;
    LastTwoDraws lastTwo;
    WorkingMemo memo;
};

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

    // Appends one complete row coded with the context's segment base. The last two draws
    // advance in the context only when the write commits. `earlier` fills the txtHisPre…
    // columns (the rebuild); other writers leave them empty.
    void appendDraw(int32_t issue, const Digits& digits, const DrawStrings* earlier = nullptr);
    // The previous-draw strings the next append writes: empty at the start of a write (an
    // empty history, or one this write emptied), or primed from the history's last row.
    void primePreviousFrom(const HistorySnapshot& rows) { state_.primeFrom(rows); }
    const DrawStrings& previousDraw() const { return state_.previous; }
    int segmentBase() const { return context_.segmentBase; }

    // The search memo of this history, and a step that runs only once the write committed
    // (what a rolled-back write did must not be remembered).
    WorkingMemo& memo() { return context_.memo; }
    void afterCommit(std::function<void()> step) { afterCommit_.push_back(std::move(step)); }

    // The open connection, for the SQL search engine's statements inside this write.
    SQLite::Database& connection() { return db_; }

  private:
    friend class HistoryStore;
    HistoryWriter(SQLite::Database& db, WriterContext& context)
        : db_(db), context_(context), state_{context.lastTwo, {}} {}
    // Hands the write's results to the context; called after the commit.
    void committed();

    SQLite::Database& db_;
    WriterContext& context_;
    AppendState state_;
    std::optional<DrawAppender> appender_;
    std::vector<std::function<void()>> afterCommit_;
};

}  // namespace arrange5
