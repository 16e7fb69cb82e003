#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace arrange5::bench {

// The timed samples of every measurement, by operation, history and setting, kept for the
// table that is written after the run.
struct MeasureKey {
    std::string operation;  // "import", "search-first", "floor-rewrite", …
    std::string history;    // "real", "100k", "1m"
    std::string setting;    // the search case, or empty

    auto operator<=>(const MeasureKey&) const = default;
};

struct Measurement {
    std::vector<double> seconds;
    std::string note;  // hits, or what went wrong
    bool failed = false;
};

class BenchResults {
  public:
    void add(const MeasureKey& key, double seconds) { data_[key].seconds.push_back(seconds); }
    void note(const MeasureKey& key, const std::string& text) { data_[key].note = text; }
    void fail(const MeasureKey& key, const std::string& why) {
        data_[key].failed = true;
        data_[key].note = why;
    }

    const Measurement* find(const MeasureKey& key) const;
    // The median of the samples, in seconds; none without samples or after a failure.
    std::optional<double> median(const MeasureKey& key) const;
    const std::map<MeasureKey, Measurement>& all() const { return data_; }

  private:
    std::map<MeasureKey, Measurement> data_;
};

double medianOf(std::vector<double> values);

}  // namespace arrange5::bench
