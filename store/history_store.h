#pragma once

#include <SQLiteCpp/Database.h>

#include <filesystem>
#include <memory>
#include <string>

#include "store/history_row.h"

namespace arrange5 {

// The history database of one data folder: the open file, the append statement's
// database handle and the reading cursor, an issue-ordered snapshot of Lishi.
class HistoryStore {
  public:
    // Opens Zembric.mdb in `dataFolder`, creating it with the full schema when it does not
    // exist. A file that is not a usable database is reported and never written to.
    explicit HistoryStore(std::filesystem::path dataFolder);
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    const std::filesystem::path& folder() const { return folder_; }
    std::filesystem::path databasePath() const;
    SQLite::Database& db() { return *db_; }

    // The reading cursor: what Lishi held when it was last reopened.
    const HistorySnapshot& rows() const { return snapshot_; }
    bool empty() const { return snapshot_.empty(); }
    void reopenReadingCursor();

    void execute(const std::string& sql);

    // Deletes every row of Lishi. Callers run it inside their own transaction so the
    // history is never left empty by a command that fails afterwards.
    void delrec();

    // Checks the file, compacts it into ZembricTmp.mdb and puts the compacted copy in
    // place of Zembric.mdb without ever deleting Zembric.mdb first. ZembricTmp.mdb stays.
    void compactDb();

  private:
    void open();

    std::filesystem::path folder_;
    std::unique_ptr<SQLite::Database> db_;
    HistorySnapshot snapshot_;
};

// Whether the file looks like a SQLite database (or does not exist yet).
bool looksLikeSqliteFile(const std::filesystem::path& file);

}  // namespace arrange5
