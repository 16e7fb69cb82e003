#include "store/history_store.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <limits>
#include <utility>

#include "store/errors.h"
#include "store/file_problems.h"
#include "store/row_check.h"
#include "store/schema.h"
#include "store/sql_connection.h"
#include "store/store_files.h"

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

HistoryStore::HistoryStore(fs::path dataFolder, Cursor cursor)
    : folder_(std::move(dataFolder)), cursorOnOpen_(cursor) {
    open();
}

HistoryStore::~HistoryStore() = default;

fs::path HistoryStore::databasePath() const {
    return folder_ / kDatabaseFileName;
}

namespace {

// Whether this process may write the file and create the journal files beside it. Also
// false on a read-only mount, which stops even root.
bool canWrite(const fs::path& file, const fs::path& folder) {
    return ::access(file.c_str(), W_OK) == 0 && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

// Whether the folder's disk has no room left for this process (root may use the blocks
// kept back for it).
bool diskIsFull(const fs::path& folder) {
    struct statvfs disk {};
    if (::statvfs(folder.c_str(), &disk) != 0) return false;
    const auto blocks = ::geteuid() == 0 ? disk.f_bfree : disk.f_bavail;
    return static_cast<unsigned long long>(blocks) * disk.f_frsize < 64u * 1024u;
}

// A path as the file: URI form needs it: the characters that end or escape a path there
// are written as %XX.
std::string uriPath(const fs::path& file) {
    std::string out;
    for (const unsigned char c : file.string()) {
        if (c == '%' || c == '?' || c == '#') {
            static constexpr char kHex[] = "0123456789ABCDEF";
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

}  // namespace

void HistoryStore::createDatabase() {
    // Built under a scratch name and renamed into place, so a program killed half-way never
    // leaves an empty or half-made Zembric.mdb that later starts would refuse.
    const fs::path file = databasePath();
    const fs::path fresh = folder_ / "Zembric.mdb.new";
    std::error_code ec;
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
        fs::remove(fs::path(fresh.string() + suffix), ec);
    }
    try {
        SQLite::Database db(fresh.string(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        SQLite::Transaction tx(db);
        db.exec(schemaSql());
        tx.commit();
        db.exec("PRAGMA journal_mode=WAL");
    } catch (const SQLite::Exception& e) {
        fs::remove(fresh, ec);
        throw StoreError("无法建立 " + file.string() + "（数据库报告：" + e.what() + "）");
    }
    fs::rename(fresh, file, ec);
    if (ec) {
        const std::string why = ec.message();
        fs::remove(fresh, ec);
        throw StoreError("无法建立 " + file.string() + "：" + why);
    }
}

void HistoryStore::openConnection(const fs::path& file, bool readOnly, bool fallback) {
    std::string name = file.string();
    int flags = readOnly ? SQLite::OPEN_READONLY : SQLite::OPEN_READWRITE;
    std::error_code ec;
    const auto logSize = fs::file_size(fs::path(file.string() + "-wal"), ec);
    const bool logHoldsData = !ec && logSize > 0;
    if (fallback && !logHoldsData) {
        // Nothing waits in a log and the folder takes no writes now: the file alone is the
        // history.
        name = "file:" + uriPath(file) + "?immutable=1";
        flags |= SQLITE_OPEN_URI;
    }
    db_ = std::make_unique<SQLite::Database>(name, flags);
    db_->setBusyTimeout(3000);
    if (fallback && logHoldsData) db_->exec("PRAGMA locking_mode=EXCLUSIVE");
    if (!db_->tableExists("Lishi")) {
        throw NotADatabaseError(file.string() +
                                " 是一个没有历史号码表的数据库；这个文件没有被改动。");
    }
    // The tally table holds nothing the history needs: reading goes on without it, and the
    // first writer puts it back.
    carcuMissing_ = !db_->tableExists("Carcu");
    if (!readOnly) {
        db_->exec("PRAGMA journal_mode=WAL");
        db_->exec("PRAGMA synchronous=NORMAL");
        // A search that rewrites every row leaves a log as large as the database; after the
        // next checkpoint it shrinks back instead of keeping that space.
        db_->exec("PRAGMA journal_size_limit=67108864");
    }
    // The searches line up the rows in a temporary table; it never needs to touch the disk.
    db_->exec("PRAGMA temp_store=MEMORY");
}

void HistoryStore::open() {
    // A new connection starts its own counts: nothing known about the old one carries over.
    snapshotStamp_.reset();
    static std::atomic<uint64_t> connections{0};
    connection_ = ++connections;
    // A dangling link is refused here, before anything could be created in its place.
    const fs::path file = resolvedDatabaseFile(folder_);
    std::error_code ec;
    if (!hasDatabaseFile(folder_)) {
        if (!fs::is_directory(folder_, ec)) {
            throw StoreError("数据文件夹 " + folder_.string() +
                             (fs::exists(folder_, ec) ? " 不是文件夹" : " 不存在"));
        }
        // Two programs starting at once must not both create the file.
        const WriteLock creating = lockForWriting();
        if (!hasDatabaseFile(folder_)) createDatabase();
    }
    if (fs::file_size(file, ec) == 0 && !ec) {
        throw NotADatabaseError(file.string() +
                                " 是空文件（0 字节），不是历史数据库；这个文件没有被改动。"
                                "把它移走即可开始新的历史号码。");
    }
    if (!looksLikeSqliteFile(file)) {
        throw NotADatabaseError(file.string() +
                                " 不是本程序能读取的历史数据库（也许是别的数据库程序的文件）；"
                                "这个文件没有被改动。");
    }
    readOnly_ = !canWrite(file, file.parent_path()) || !canWrite(folder_, folder_);
    readOnlyReason_ = "是只读的（文件或其所在文件夹不能写入）";
    try {
        try {
            openConnection(file, readOnly_, false);
        } catch (const SQLite::Exception& e) {
            const int code = e.getErrorCode();
            if (code != SQLITE_CANTOPEN && code != SQLITE_IOERR && code != SQLITE_READONLY &&
                code != SQLITE_FULL) {
                throw;
            }
            // The write-ahead log needs its shared-memory file beside the database; a
            // read-only folder or a full disk refuses it. The history can still be shown:
            // from the file alone when no log waits, else with exclusive locking, which
            // reads the log without the shared-memory file.
            db_.reset();
            readOnly_ = true;
            // SQLite names a full disk "disk I/O error" here: the words say what is true.
            readOnlyReason_ =
                diskIsFull(folder_)
                    ? std::string("现在不能写入：磁盘已满（数据库报告：") + e.what() + "）"
                    : std::string("是只读的（无法以写入方式打开：") + e.what() + "）";
            openConnection(file, true, true);
        }
    } catch (const NotADatabaseError&) {
        db_.reset();
        throw;
    } catch (const SQLite::Exception& e) {
        db_.reset();
        if (e.getErrorCode() == SQLITE_NOTADB || e.getErrorCode() == SQLITE_CORRUPT) {
            throw NotADatabaseError(file.string() + " 无法作为数据库读取（数据库报告：" + e.what() +
                                    "）；这个文件没有被改动。");
        }
        throw StoreError("无法打开 " + file.string() + "（数据库报告：" + e.what() + "）");
    }
    if (cursorOnOpen_ == Cursor::Read) reopenReadingCursor();
}

HistoryStore::WriteLock::WriteLock(WriteLock&& other) noexcept
    : store_(std::exchange(other.store_, nullptr)) {}

HistoryStore::WriteLock::~WriteLock() {
    if (store_ && --store_->writeDepth_ == 0) store_->writerLock_.reset();
}

HistoryStore::WriteLock HistoryStore::lockForWriting() {
    if (readOnly_) {
        throw StoreError(databasePath().string() + " " + readOnlyReason_ +
                         "），历史号码可以查看，但不能改动");
    }
    if (writeDepth_ == 0) writerLock_ = std::make_unique<WriterLock>(folder_, writerWait_);
    ++writeDepth_;
    WriteLock lock(this);
    if (carcuMissing_ && db_) {
        execute(carcuSql());
        carcuMissing_ = false;
    }
    return lock;
}

SQLite::Database& HistoryStore::db() {
    if (!db_) {
        throw StoreError("历史数据库 " + databasePath().string() + " 没有打开，请重新启动程序");
    }
    return *db_;
}

SQLite::Database& sqlConnection(HistoryStore& store) {
    return store.db();
}

void HistoryStore::tellObserver(ChangeKind kind) {
    if (writeObserver_) writeObserver_(kind);
}

HistoryStore::ChangeStamp HistoryStore::changeStamp() {
    ChangeStamp stamp;
    stamp.connection = connection_;
    try {
        stamp.ownChanges = sqlite3_total_changes64(db().getHandle());
        SQLite::Statement version(db(), "PRAGMA data_version");
        if (version.executeStep()) stamp.othersVersion = version.getColumn(0).getInt64();
        // Dropping or altering a table changes no counted row.
        SQLite::Statement schema(db(), "PRAGMA main.schema_version");
        if (schema.executeStep()) stamp.schemaVersion = schema.getColumn(0).getInt64();
    } catch (const SQLite::Exception& e) {
        throw StoreError(std::string("无法读取历史号码的状态（数据库报告：") + e.what() + "）");
    }
    return stamp;
}

namespace {

// The columns of a reading cursor row: the issue, then the codes kind by kind.
constexpr const char* kRowColumns =
    "SQQH, L1A, L2A, L3A, L4A, L5A, L1B, L2B, L3B, L4B, L5B, "
    "L1E, L2E, L3E, L4E, L5E, L1F, L2F, L3F, L4F, L5F";

// A code column as the reading cursor keeps it: a whole number that fits, else
// kUnreadableCode, which the row check names. Narrowing 65541 would give a sound-looking 5.
int16_t storedCode(sqlite3_stmt* q, int column) {
    if (sqlite3_column_type(q, column) != SQLITE_INTEGER) return kUnreadableCode;
    const sqlite3_int64 value = sqlite3_column_int64(q, column);
    if (value <= kUnreadableCode || value > std::numeric_limits<int16_t>::max()) {
        return kUnreadableCode;
    }
    return static_cast<int16_t>(value);
}

// Runs a SELECT of kRowColumns with integer parameters. Straight through the C interface: a
// million rows of 21 columns each are read here, and the wrapper's per-column objects add up
// to a tenth.
HistorySnapshot readRows(sqlite3* handle, const std::string& sql,
                         std::initializer_list<int64_t> parameters, std::size_t expected) {
    const auto fail = [&] {
        throw StoreError(std::string("无法读取历史号码（数据库报告：") + sqlite3_errmsg(handle) +
                         "）");
    };
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(handle, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
        sqlite3_finalize(raw);
        fail();
    }
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> q(raw, sqlite3_finalize);
    int index = 0;
    for (const int64_t p : parameters) sqlite3_bind_int64(q.get(), ++index, p);
    HistorySnapshot rows;
    rows.reserve(expected);
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(q.get())) == SQLITE_ROW) {
        HistoryRow row;
        row.issue = sqlite3_column_int(q.get(), 0);
        for (int k = 0; k < kCodeKindCount; ++k) {
            for (int i = 0; i < 5; ++i) {
                row.codes[k][i] = storedCode(q.get(), 1 + k * 5 + i);
            }
        }
        rows.push_back(row);
    }
    if (rc != SQLITE_DONE) fail();
    return rows;
}

}  // namespace

void HistoryStore::reopenReadingCursor() {
    // Taken before reading: a commit by another program during the read moves the stamp, so
    // the next call reads again.
    const ChangeStamp stamp = changeStamp();
    if (snapshotStamp_ == stamp) return;
    snapshotStamp_.reset();
    // About as many rows as last time; counting them first would cost a pass of its own.
    snapshot_ = readRows(db().getHandle(),
                         std::string("SELECT ") + kRowColumns + " FROM Lishi ORDER BY SQQH", {},
                         snapshot_.size());
    // Rows read inside a transaction may still be rolled back, which moves no stamp.
    if (sqlite3_get_autocommit(db().getHandle())) snapshotStamp_ = stamp;
}

HistorySnapshot HistoryStore::readEnds(int count, std::optional<int32_t> upTo) {
    // The first and last issue come from the primary key's ends; the rows before `upTo`
    // from walking it backwards.
    const std::string sql = std::string("SELECT ") + kRowColumns +
                            " FROM Lishi WHERE SQQH IN (SELECT MIN(SQQH) FROM Lishi UNION "
                            "SELECT MAX(SQQH) FROM Lishi UNION SELECT SQQH FROM (SELECT SQQH "
                            "FROM Lishi WHERE SQQH <= ? ORDER BY SQQH DESC LIMIT ?)) "
                            "ORDER BY SQQH";
    const int64_t last = upTo ? *upTo : std::numeric_limits<int64_t>::max();
    return readRows(db().getHandle(), sql, {last, std::max(count, 0)},
                    static_cast<std::size_t>(std::max(count, 0)) + 2);
}

void HistoryStore::execute(const std::string& sql) {
    try {
        db().exec(sql);
    } catch (const SQLite::Exception& e) {
        throw StoreError(std::string("数据库语句执行失败（数据库报告：") + e.what() + "）");
    }
}

void HistoryStore::runWrite(std::string_view failure,
                            const std::function<void(HistoryWriter&)>& body, ChangeKind kind) {
    // Refusals before anything begins (read-only, another writer) keep their own words.
    const WriteLock lock = lockForWriting();
    const std::string prefix = std::string(failure) + "，" + kHistoryUnchanged;
    ChangeStamp before;
    ChangeStamp after;
    try {
        // IMMEDIATE takes the database's write lock at BEGIN. A deferred transaction that
        // reads first and writes later can find, at its first write, that another connection
        // (the sqlite3 shell, a program that ignores our writer lock) committed in between;
        // SQLite then refuses the write outright instead of waiting. Taken at BEGIN, the
        // lock is waited for, and what the body reads is what it writes on.
        SQLite::Transaction tx(db(), SQLite::TransactionBehavior::IMMEDIATE);
        if (!changesDraws(kind)) before = changeStamp();
        HistoryWriter writer(db(), *context_);
        body(writer);
        if (!changesDraws(kind)) after = changeStamp();
        // A COMMIT that fails leaves the transaction open, and its destructor rolls it back.
        tx.commit();
        writer.committed();
    } catch (const SQLite::Exception& e) {
        throw StoreError(prefix + "（数据库报告：" + e.what() + "）");
    } catch (const StoreError& e) {
        throw StoreError(prefix + "：" + e.what());
    }
    try {
        if (changesDraws(kind)) {
            reopenReadingCursor();
        } else if (snapshotStamp_ == before) {
            // No draw changed: a cursor that was current still is.
            snapshotStamp_ = after;
        }
    } catch (const std::exception& e) {
        tellObserver(kind);
        throw ChangeCommittedError(std::string("改动已经存入，但之后重新读取历史号码失败（") +
                                   e.what() + "）；不要重复这个命令，请重新启动程序");
    }
    tellObserver(kind);
}

void HistoryWriter::execute(const std::string& sql) {
    try {
        db_.exec(sql);
    } catch (const SQLite::Exception& e) {
        throw StoreError(std::string("数据库语句执行失败（数据库报告：") + e.what() + "）");
    }
}

std::size_t HistoryWriter::deleteAll() {
    execute("DELETE FROM Lishi");
    return static_cast<std::size_t>(db_.getChanges());
}

std::optional<int32_t> HistoryWriter::deleteNewestRow() {
    SQLite::Statement last(db_, "SELECT MAX(SQQH) FROM Lishi");
    if (!last.executeStep() || last.getColumn(0).isNull()) return std::nullopt;
    const int32_t issue = last.getColumn(0).getInt();
    SQLite::Statement del(db_, "DELETE FROM Lishi WHERE SQQH = ?");
    del.bind(1, issue);
    del.exec();
    return issue;
}

void HistoryWriter::appendDraw(int32_t issue, const Digits& digits, const DrawStrings* earlier) {
    if (!appender_) appender_.emplace(db_);
    appender_->append(issue, digits, context_.segmentBase, state_, earlier);
}

void HistoryWriter::committed() {
    context_.lastTwo = state_.sp;
    for (const auto& step : afterCommit_) step();
}

}  // namespace arrange5
