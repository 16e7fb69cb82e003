#include "store/history_store.h"

#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <sqlite3.h>

#include <array>
#include <cstdio>
#include <fstream>

#include "store/errors.h"
#include "store/schema.h"

namespace arrange5 {

namespace fs = std::filesystem;

bool looksLikeSqliteFile(const fs::path& file) {
    std::error_code ec;
    if (!fs::exists(file, ec)) return true;
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    static constexpr char kMagic[] = "SQLite format 3";  // 16 bytes with its NUL
    std::array<char, 16> head{};
    in.read(head.data(), head.size());
    return in.gcount() == 16 && std::equal(head.begin(), head.end(), kMagic);
}

HistoryStore::HistoryStore(fs::path dataFolder) : folder_(std::move(dataFolder)) {
    open();
}

HistoryStore::~HistoryStore() = default;

fs::path HistoryStore::databasePath() const {
    return folder_ / kDatabaseFileName;
}

void HistoryStore::open() {
    const fs::path file = databasePath();
    std::error_code ec;
    const bool existed = fs::exists(file, ec);
    if (existed && fs::file_size(file, ec) == 0) {
        throw NotADatabaseError(file.string() +
                                " is an empty file (0 bytes), not a history database; it was "
                                "left untouched. Move it away to start a new history.");
    }
    if (!looksLikeSqliteFile(file)) {
        throw NotADatabaseError(file.string() +
                                " is not a history database this program can read (perhaps a "
                                "file of another database program); it was left untouched.");
    }
    if (!existed && !fs::is_directory(folder_, ec)) {
        throw StoreError("the data folder " + folder_.string() + " does not exist");
    }
    try {
        db_ = std::make_unique<SQLite::Database>(file.string(),
                                                 SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        db_->setBusyTimeout(3000);
        if (!existed) {
            SQLite::Transaction tx(*db_);
            db_->exec(schemaSql());
            tx.commit();
        }
        if (!db_->tableExists("Lishi") || !db_->tableExists("Carcu")) {
            throw NotADatabaseError(file.string() +
                                    " is a database without the history tables; it was left "
                                    "untouched.");
        }
        db_->exec("PRAGMA journal_mode=WAL");
        db_->exec("PRAGMA synchronous=NORMAL");
    } catch (const SQLite::Exception& e) {
        db_.reset();
        if (e.getErrorCode() == SQLITE_NOTADB || e.getErrorCode() == SQLITE_CORRUPT) {
            throw NotADatabaseError(file.string() + " cannot be read as a database (" + e.what() +
                                    "); it was left untouched.");
        }
        throw StoreError("cannot open " + file.string() + ": " + e.what());
    }
    reopenReadingCursor();
}

void HistoryStore::reopenReadingCursor() {
    HistorySnapshot rows;
    try {
        SQLite::Statement count(*db_, "SELECT COUNT(*) FROM Lishi");
        if (count.executeStep())
            rows.reserve(static_cast<std::size_t>(count.getColumn(0).getInt64()));
        SQLite::Statement q(*db_,
                            "SELECT SQQH, L1A, L2A, L3A, L4A, L5A, L1B, L2B, L3B, L4B, L5B, "
                            "L1E, L2E, L3E, L4E, L5E, L1F, L2F, L3F, L4F, L5F "
                            "FROM Lishi ORDER BY SQQH");
        while (q.executeStep()) {
            HistoryRow row;
            row.issue = q.getColumn(0).getInt();
            for (int k = 0; k < kCodeKindCount; ++k) {
                for (int i = 0; i < 5; ++i) {
                    row.codes[k][i] = static_cast<int16_t>(q.getColumn(1 + k * 5 + i).getInt());
                }
            }
            rows.push_back(row);
        }
    } catch (const SQLite::Exception& e) {
        throw StoreError(std::string("cannot read the history: ") + e.what());
    }
    snapshot_ = std::move(rows);
}

void HistoryStore::execute(const std::string& sql) {
    try {
        db_->exec(sql);
    } catch (const SQLite::Exception& e) {
        throw StoreError(std::string("database statement failed: ") + e.what());
    }
}

void HistoryStore::delrec() {
    execute("DELETE FROM Lishi");
}

void HistoryStore::compactDb() {
    const fs::path file = databasePath();
    const fs::path scratch = folder_ / kCompactScratchFileName;
    const fs::path incoming = folder_ / "Zembric.mdb.compacting";
    std::error_code ec;
    fs::remove(scratch, ec);
    if (ec) throw StoreError("cannot remove the old " + scratch.string() + ": " + ec.message());
    try {
        SQLite::Statement check(*db_, "PRAGMA integrity_check");
        if (!check.executeStep() || check.getColumn(0).getString() != "ok") {
            throw StoreError(file.string() + " failed its integrity check (" +
                             check.getColumn(0).getString() +
                             "); it was not compacted. Restore it from a copy or re-import.");
        }
        check.reset();
        SQLite::Statement vacuum(*db_, "VACUUM INTO ?");
        vacuum.bind(1, scratch.string());
        vacuum.exec();
    } catch (const SQLite::Exception& e) {
        throw StoreError("compaction of " + file.string() + " failed: " + e.what());
    }
    // The compacted copy goes in under a temporary name first; only the final rename,
    // which is atomic, replaces Zembric.mdb.
    fs::copy_file(scratch, incoming, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        fs::remove(incoming, ec);
        throw StoreError("compaction could not copy " + scratch.string() + ": " + ec.message());
    }
    db_.reset();
    // A write-ahead log still beside the file means another connection holds it open;
    // putting a new file under that log would corrupt it.
    if (fs::exists(fs::path(file.string() + "-wal"), ec)) {
        fs::remove(incoming, ec);
        open();
        throw StoreError("compaction skipped: " + file.string() +
                         " is still open in another program");
    }
    fs::rename(incoming, file, ec);
    const std::string renameError = ec ? ec.message() : std::string();
    fs::remove(incoming, ec);
    open();
    if (!renameError.empty()) {
        throw StoreError("compaction could not replace " + file.string() + ": " + renameError);
    }
}

}  // namespace arrange5
