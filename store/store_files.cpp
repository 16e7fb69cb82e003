#include "store/store_files.h"

#include <string>

#include "store/data_folder.h"
#include "store/errors.h"
#include "store/schema.h"
#include "store/writer_lock.h"

namespace arrange5 {

namespace fs = std::filesystem;

namespace {

// The path with every link and "." or ".." resolved as far as it exists.
fs::path resolved(const fs::path& p) {
    std::error_code ec;
    fs::path out = fs::weakly_canonical(fs::absolute(p, ec), ec);
    return ec ? fs::absolute(p, ec).lexically_normal() : out;
}

}  // namespace

fs::path resolvedDatabaseFile(const fs::path& folder) {
    const fs::path file = folder / kDatabaseFileName;
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(file, ec))) return file;
    if (fs::exists(file, ec)) return fs::canonical(file, ec);
    fs::path target = fs::read_symlink(file, ec);
    if (target.is_relative()) target = folder / target;
    throw StoreError(file.string() + " 是指向 " + target.lexically_normal().string() +
                     " 的链接，但那个文件不存在（也许它所在的磁盘没有接上）；没有改动任何文件");
}

bool hasDatabaseFile(const fs::path& folder) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(folder / kDatabaseFileName, ec));
}

bool isStoreOwnFile(const fs::path& folder, const fs::path& candidate) {
    const fs::path target = resolved(candidate);
    const fs::path database = folder / kDatabaseFileName;
    std::error_code ec;
    const fs::path linkTarget = fs::exists(database, ec) ? resolved(database) : database;
    for (const fs::path& db : {database, linkTarget}) {
        for (const char* suffix : {"", "-wal", "-shm", "-journal", ".new", ".compacting"}) {
            if (resolved(fs::path(db.string() + suffix)) == target) return true;
        }
    }
    for (const char* name : {kWriterLockFileName, kCompactScratchFileName, kBackupFileName}) {
        if (resolved(folder / name) == target) return true;
    }
    return false;
}

}  // namespace arrange5
