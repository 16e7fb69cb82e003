#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "analysis/study_rule.h"
#include "analysis/study_setting.h"
#include "store/errors.h"
#include "store/file_names.h"

namespace arrange5 {

// study.txt cannot be read or does not hold a study: the log is left as it is, and nothing
// is counted until the user looks at it or starts a new study.
class StudyLogError : public StoreError {
  public:
    using StoreError::StoreError;
};

// One setting of the study, as the log keeps it.
struct StudyEntry {
    int rank = 0;
    std::string key;
    std::string commandLine;  // the first run's
    std::string firstRun;     // UTC, "2026-12-09T22:05:00Z"; empty in a log of an older version
    std::optional<double> p;  // the latest run's p, adjusted p and verdict
    std::optional<double> pAdjusted;
    std::string verdict;
};

// The settings searched or verified since the user started a study, kept in the data folder
// so that the window and the command line, before and after a restart, give each setting
// the same rank. A setting repeated keeps its first rank.
class StudyLog {
  public:
    static constexpr const char* kFileName = file_names::kStudyLog;
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    explicit StudyLog(std::filesystem::path dataFolder,
                      Clock clock = std::chrono::system_clock::now);

    const std::filesystem::path& file() const { return file_; }

    // The settings in rank order. No file: a new study. Throws StudyLogError when the file
    // cannot be read or is not a study log.
    std::vector<StudyEntry> entries() const;
    std::size_t count() const { return entries().size(); }

    // Counts `setting` unless it is already counted; returns its place. Throws StudyLogError
    // (nothing written) for a log it cannot read, StoreError when the file cannot be written.
    StudyPlace record(const StudySetting& setting);

    // Keeps the latest outcome of a counted setting; a key not in the study is ignored.
    void noteOutcome(const std::string& key, std::optional<double> p,
                     std::optional<double> pAdjusted, const std::string& verdict);

    struct Reset {
        std::optional<std::size_t> before;            // none: the old log was unreadable
        std::optional<std::filesystem::path> keptAs;  // where an unreadable log was moved
    };
    // Starts a new study: no setting counted. An unreadable log is moved aside, not lost.
    Reset reset();

  private:
    void write(const std::vector<StudyEntry>& entries) const;

    std::filesystem::path file_;
    Clock clock_;
};

}  // namespace arrange5
