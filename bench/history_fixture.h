#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "acquire/history_text.h"
#include "store/history_store.h"

namespace arrange5::bench {

// One history the suite measures on: its history text file, a database imported from it
// once (the template every "fresh" measurement starts from) and a long-lived store for the
// measurements that repeat on the same database. Everything is made on first use, so a
// filtered run never generates the large histories it does not need.
class HistoryFixture {
  public:
    using Source = std::function<std::vector<HistoryEntry>()>;

    // A generated history: `source` gives the draws, written to a text file on first use.
    HistoryFixture(std::string name, std::filesystem::path workRoot, Source source);
    // A history that already is a text file.
    HistoryFixture(std::string name, std::filesystem::path workRoot,
                   std::filesystem::path historyFile);
    ~HistoryFixture();

    const std::string& name() const { return name_; }
    void prepare();

    const std::filesystem::path& historyFile();
    std::size_t draws();

    // A folder under the fixture holding a copy of the template database, exactly as the
    // import left it; any earlier database in that folder is replaced.
    std::filesystem::path freshCopy(const std::string& folderName);

    // A store kept open across measurements, on its own copy of the template made when it
    // is first asked for: "shared" for the floors, "maintenance"
    // for import and rebuild, which replace the history.
    HistoryStore& store(const std::string& folderName);

    // Closes the open stores and removes every copy once a history is done with.
    void release();

  private:
    std::string name_;
    std::filesystem::path folder_;
    Source source_;
    std::filesystem::path historyFile_;
    std::size_t draws_ = 0;
    bool prepared_ = false;
    std::map<std::string, std::unique_ptr<HistoryStore>> stores_;
};

// Copies Zembric.mdb from one data folder to another, removing the target's old database
// and its journal files first.
void copyDatabase(const std::filesystem::path& fromFolder, const std::filesystem::path& toFolder);

}  // namespace arrange5::bench
