#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "analysis/backtest.h"
#include "analysis/memory_search.h"

namespace arrange5 {

// The settings searched or verified since the user started a study, kept in the data folder
// so that the window and the command line, before and after a restart, correct for the same
// number of tries. A setting repeated counts once.
class StudyLog {
  public:
    static constexpr const char* kFileName = "study.txt";

    explicit StudyLog(std::filesystem::path dataFolder);

    // The settings counted so far, in the order they were first met.
    std::vector<std::string> settings() const;
    std::size_t count() const { return settings().size(); }

    // Counts `setting` unless it is already counted; returns N, this setting included.
    // Throws StoreError when the file cannot be written.
    int record(const std::string& setting);

    // Starts a new study: no setting counted.
    void reset();

  private:
    void write(const std::vector<std::string>& settings) const;

    std::filesystem::path file_;
};

// One line naming everything that decides a search's answer, e.g.
// "search kind=number match=free lag=1 positions=1,3 ref=1,5,7,6,6 range=2004010-2026174
// result=number pos=1 straight base=1".
std::string searchSettingText(const SearchRequest& request, const SearchShape& shape);

// The same for a verification: its settings, targets and m.
std::string backtestSettingText(const BacktestRequest& request);

}  // namespace arrange5
