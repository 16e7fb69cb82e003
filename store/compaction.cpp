// CompactDb: the integrity check, the compacted copy and its atomic replacement of the file.
#include <SQLiteCpp/Statement.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "store/errors.h"
#include "store/file_problems.h"
#include "store/history_store.h"
#include "store/schema.h"
#include "store/store_files.h"

namespace arrange5 {

namespace fs = std::filesystem;

namespace {

// Forces a file (or a folder's entries) to the disk. Neither VACUUM INTO nor a file copy
// does, and a rename over Zembric.mdb must never expose a copy the disk does not hold yet.
bool syncToDisk(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

void HistoryStore::compactDb() {
    const WriteLock lock = lockForWriting();
    // A link is followed: the compacted copy replaces its target, in the target's folder,
    // which is the only place a rename can replace it atomically.
    const fs::path file = resolvedDatabaseFile(folder_);
    const fs::path scratch = folder_ / kCompactScratchFileName;
    const fs::path incoming = fs::path(file.string() + ".compacting");
    std::error_code ec;
    fs::remove(scratch, ec);
    if (ec) {
        throw StoreError("无法删除旧的 " + scratch.string() + "：" +
                         describeFileProblem(scratch, ec));
    }
    // What a failed VACUUM INTO leaves (a partial copy and its journal) would keep a full
    // disk full.
    const auto removeScratch = [&scratch] {
        std::error_code ignored;
        for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
            fs::remove(fs::path(scratch.string() + suffix), ignored);
        }
    };
    try {
        SQLite::Statement check(db(), "PRAGMA integrity_check");
        if (!check.executeStep() || check.getColumn(0).getString() != "ok") {
            throw StoreError(file.string() + " 没有通过完整性检查（" +
                             check.getColumn(0).getString() +
                             "），没有压缩。请用备份恢复或重新读入历史号码。");
        }
        check.reset();
        SQLite::Statement vacuum(*db_, "VACUUM INTO ?");
        vacuum.bind(1, scratch.string());
        vacuum.exec();
    } catch (const SQLite::Exception& e) {
        removeScratch();
        const std::string why = e.getErrorCode() == SQLITE_FULL ? "磁盘已满" : "数据库报告";
        throw StoreError("压缩 " + file.string() + " 失败（" + why + "：" + e.what() + "）");
    }
    // The compacted copy goes in under a temporary name first; only the final rename,
    // which is atomic, replaces Zembric.mdb. Once copied, the scratch file has served: a
    // second copy of the whole history would only fill the data folder.
    fs::copy_file(scratch, incoming, fs::copy_options::overwrite_existing, ec);
    const bool copied = !ec && syncToDisk(incoming);
    removeScratch();
    if (!copied) {
        const std::string why =
            ec ? describeFileProblem(incoming, ec) : std::string("无法写入磁盘");
        fs::remove(incoming, ec);
        throw StoreError("压缩时无法复制 " + scratch.string() + "：" + why);
    }
    db_.reset();
    // A write-ahead log still beside the file means another connection holds it open;
    // putting a new file under that log would corrupt it.
    if (fs::exists(fs::path(file.string() + "-wal"), ec)) {
        fs::remove(incoming, ec);
        open();
        throw StoreError("没有压缩：" + file.string() + " 还在别的程序中打开着");
    }
    fs::rename(incoming, file, ec);
    const std::string renameError = ec ? describeFileProblem(file, ec) : std::string();
    fs::remove(incoming, ec);
    if (renameError.empty()) syncToDisk(file.parent_path());
    open();
    // The same draws in a new file on a new connection: whoever follows the store's changes
    // takes that connection's state as its own.
    tellObserver(ChangeKind::WorkingColumns);
    if (!renameError.empty()) {
        throw StoreError("压缩时无法替换 " + file.string() + "：" + renameError);
    }
}

}  // namespace arrange5
