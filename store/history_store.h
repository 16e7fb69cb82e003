#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "store/history_row.h"
#include "store/history_writer.h"
#include "store/writer_lock.h"

namespace SQLite {
class Database;
}

namespace arrange5 {

// What a write did to the history, as its viewers are told it (HistoryChange). Every kind but
// WorkingColumns changes draws, and the reading cursor is read again after it commits.
enum class ChangeKind {
    WorkingColumns,  // no draw: the searches' working columns, Carcu, the picks; compaction
    Appended,        // draws typed in after the last stored one (manual entry)
    Updated,         // draws read from a source after the last stored one (online update)
    YearsPurged,     // the update deleted the years before those it keeps and read them again
    Deleted,         // rows deleted: the newest ones, or every row
    Replaced,        // the history replaced as a whole (import, rebuild) or recoded
};

constexpr bool changesDraws(ChangeKind kind) {
    return kind != ChangeKind::WorkingColumns;
}

// The history database of one data folder: the open file, the append statement's
// database handle and the reading cursor, an issue-ordered snapshot of Lishi.
class HistoryStore {
  public:
    // Whether opening reads the reading cursor. Deferred: rows() stays empty until
    // reopenReadingCursor(), for a command that reads its few rows with readEnds().
    enum class Cursor { Read, Deferred };

    // Opens Zembric.mdb in `dataFolder`, creating it with the full schema when it does not
    // exist. A file that is not a usable database is reported and never written to.
    explicit HistoryStore(std::filesystem::path dataFolder, Cursor cursor = Cursor::Read);
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    const std::filesystem::path& folder() const { return folder_; }
    std::filesystem::path databasePath() const;

    // The reading cursor: what Lishi held when it was last reopened.
    const HistorySnapshot& rows() const { return snapshot_; }
    bool empty() const { return snapshot_.empty(); }
    // Reads Lishi again unless nothing can have changed since the last read.
    void reopenReadingCursor();
    // Rows as the reading cursor holds them, read now and without touching it: the first and
    // the last row, and the `count` rows ending at the last issue ≤ `upTo` (the last row
    // when none), in issue order and each once. A search takes its reference and default
    // range from these instead of reading the whole history.
    HistorySnapshot readEnds(int count, std::optional<int32_t> upTo);

    // Where this connection stands in the history of writes (store/change_stamp.h).
    using ChangeStamp = arrange5::ChangeStamp;
    ChangeStamp changeStamp();

    // Told after every write that committed, on the thread that wrote, once the reading
    // cursor has been read again (or failed to be), and after compaction put a new file in
    // place. The history document is the one observer.
    void setWriteObserver(std::function<void(ChangeKind)> observer) {
        writeObserver_ = std::move(observer);
    }

    // The writer context every write of this store uses: the document attaches its own; until
    // then (or after detaching with nullptr) the store's own, with segment base 1. Returns the
    // one it replaces, to put back.
    WriterContext* setWriterContext(WriterContext* context) {
        return std::exchange(context_, context ? context : &ownContext_);
    }
    const WriterContext& writerContext() const { return *context_; }

    // The one way a command changes the store: takes the writer lock, runs `body` with the
    // store's one HistoryWriter in one transaction and commits, so a command that fails changes
    // nothing. A database error inside (or a StoreError of the body) becomes StoreError
    // "<failure>，历史号码保持原样…"; the body's other errors (InputError, CancelledError, …) pass
    // through unchanged after the rollback. A step after the commit that fails throws
    // ChangeCommittedError. Returns what `body` returns. Bodies do not nest. `kind` says what
    // the write does to the history; the document tells it to every viewer.
    template <class Body>
    auto write(std::string_view failure, Body&& body, ChangeKind kind) {
        using Result = std::invoke_result_t<Body&, HistoryWriter&>;
        if constexpr (std::is_void_v<Result>) {
            runWrite(
                failure, [&](HistoryWriter& writer) { body(writer); }, kind);
        } else {
            std::optional<Result> result;
            runWrite(
                failure, [&](HistoryWriter& writer) { result.emplace(body(writer)); }, kind);
            return std::move(*result);
        }
    }

    // Held by every command that changes the store, from before its transaction begins until
    // after it ends, so that a second window or CLI on the same folder waits or is refused
    // instead of interleaving its writes. Nested holds within one store share the lock.
    class WriteLock {
      public:
        WriteLock(WriteLock&& other) noexcept;
        WriteLock& operator=(WriteLock&&) = delete;
        ~WriteLock();

      private:
        friend class HistoryStore;
        explicit WriteLock(HistoryStore* store) : store_(store) {}
        HistoryStore* store_;
    };

    // Throws StoreBusyError when another program keeps the lock longer than the writer wait,
    // StoreError when the database or its folder is read-only.
    [[nodiscard]] WriteLock lockForWriting();
    void setWriterWait(std::chrono::milliseconds wait) { writerWait_ = wait; }

    // The file or its folder cannot be written: the history can be read but not changed.
    bool readOnly() const { return readOnly_; }

    // Checks the file, compacts it into ZembricTmp.mdb and puts the compacted copy in
    // place of Zembric.mdb without ever deleting Zembric.mdb first. ZembricTmp.mdb is
    // removed once it was copied.
    void compactDb();

  private:
    friend SQLite::Database& sqlConnection(HistoryStore& store);
    // Throws StoreError when a failed reopen (after compaction) left no open database.
    SQLite::Database& db();
    void tellObserver(ChangeKind kind);
    void runWrite(std::string_view failure, const std::function<void(HistoryWriter&)>& body,
                  ChangeKind kind);
    void execute(const std::string& sql);
    void open();
    void createDatabase();
    void openConnection(const std::filesystem::path& file, bool readOnly, bool fallback);

    std::filesystem::path folder_;
    Cursor cursorOnOpen_ = Cursor::Read;
    std::unique_ptr<SQLite::Database> db_;
    HistorySnapshot snapshot_;
    std::optional<ChangeStamp> snapshotStamp_;
    uint64_t connection_ = 0;
    std::unique_ptr<WriterLock> writerLock_;
    int writeDepth_ = 0;
    std::chrono::milliseconds writerWait_ = kDefaultWriterWait;
    bool readOnly_ = false;
    bool carcuMissing_ = false;
    std::string readOnlyReason_;
    std::function<void(ChangeKind)> writeObserver_;
    WriterContext ownContext_;
    WriterContext* context_ = &ownContext_;
};

// Whether the file looks like a SQLite database (or does not exist yet).
bool looksLikeSqliteFile(const std::filesystem::path& file);

}  // namespace arrange5
