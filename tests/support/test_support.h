#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "acquire/history_text.h"

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

// The 64 hex digits `sha256sum` prints for the file: an expected digest that does not come
// from the program under test.
std::string sha256sumOf(const std::filesystem::path& file);

// The bundled real history and the test fixtures folder.
std::filesystem::path realHistoryFile();
std::filesystem::path testDataFolder();

}  // namespace arrange5::test
