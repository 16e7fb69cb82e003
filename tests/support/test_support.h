#pragma once

#include <SQLiteCpp/Database.h>

#include <filesystem>
#include <string>
#include <vector>

#include "acquire/history_text.h"
#include "acquire/replace_history.h"
#include "store/append_state.h"
#include "store/history_store.h"

namespace arrange5::test {

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

void writeFile(const std::filesystem::path& file, const std::string& content);
std::string readFile(const std::filesystem::path& file);

// The history text of the given entries, CR LF lines.
std::string historyText(const std::vector<HistoryEntry>& entries);

// Entries with consecutive issues from `firstIssue` (358 a year) and the given digit strings.
std::vector<HistoryEntry> entriesFrom(int firstIssue, const std::vector<std::string>& draws);

// `count` distinct-looking digit strings, draw i holding (i * 7 + p * 3) % 10 at position p.
std::vector<std::string> patternDraws(std::size_t count);

// "2013001 12345" lines for entries, so that a difference shows as the issues and digits.
std::vector<std::string> drawLines(const std::vector<HistoryEntry>& entries);

// Every column of every row of Lishi in issue order (NULL shown as <null>), to compare the
// table before and after a command.
std::vector<std::string> dumpLishi(SQLite::Database& db);

// The one way a test fills a store: the entries replace its history in one write, as an
// import does (`earlier` FromDrawTwoBefore: as a rebuild does) with `segmentBase`, and `sp`
// follows them; the store's own writer context is left as it was.
void seedHistory(HistoryStore& store, const std::vector<HistoryEntry>& entries, LastTwoDraws& sp,
                 int segmentBase = 1, const std::string& description = "seed",
                 EarlierColumns earlier = EarlierColumns::LeaveEmpty);
// The same for a test that does not follow S/P.
void seedHistory(HistoryStore& store, const std::vector<HistoryEntry>& entries,
                 int segmentBase = 1);
// The same for a data folder whose store the test does not hold open.
void seedFolder(const std::filesystem::path& folder, const std::vector<HistoryEntry>& entries,
                int segmentBase = 1);

// A data folder with an empty history: the first command on a folder without a database
// fills it with the bundled history, so a test of an empty history makes it first.
void emptyHistoryIn(const std::filesystem::path& folder);

// The 64 hex digits `sha256sum` prints for the file: an expected digest that does not come
// from the program under test.
std::string sha256sumOf(const std::filesystem::path& file);

// The bundled real history and the test fixtures folder.
std::filesystem::path realHistoryFile();
std::filesystem::path testDataFolder();

}  // namespace arrange5::test
